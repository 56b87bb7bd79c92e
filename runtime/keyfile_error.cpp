// The data layer's error state: per thread, the code, its standard text, and SQLite's own code and message.
#include "runtime/keyfile_impl.h"

#include "runtime/perthread.h"

namespace rt::kf {

namespace {

struct ErrorState {
    long code = 0;
    std::string driver_code;
    std::string driver_text;
};

thread_local ErrorState& t_error = per_thread<ErrorState>();

const char* standard_text(long code) {
    switch (code) {
    case 0:
        return "";
    case ERR_FILE_NOT_FOUND:
        return "File Not Found";
    case ERR_PATH_NOT_FOUND:
        return "Path Not Found";
    case ERR_ACCESS_DENIED:
        return "Access Denied";
    case ERR_ENTRY_NOT_FOUND:
        return "Entry Not Found";
    case ERR_LOCKED:
        return "File Is Already Locked";
    case ERR_NOT_AVAILABLE:
        return "Record Not Available";
    case ERR_RECORD_NOT_FOUND:
        return "Record Not Found";
    case ERR_NOT_OPEN:
        return "File Not Open";
    case ERR_KEYS_DAMAGED:
        return "Key File Must Be Rebuilt";
    case ERR_INVALID_FILE:
        return "Invalid Record Declaration";
    case ERR_ALREADY_OPEN:
        return "File Already Open";
    case ERR_NOT_SUPPORTED:
        return "Function Not Supported";
    case ERR_DRIVER:
        return "File System Error";
    default:
        return "Unknown Error";
    }
}

} // namespace

// Success. The thread's error state is looked up once: under mingw every thread_local access is a call.
void ok() {
    ErrorState& e = t_error;
    e.code = 0;
    if (!e.driver_code.empty()) e.driver_code.clear();
    if (!e.driver_text.empty()) e.driver_text.clear();
}

Status succeed() {
    ok();
    return Status();
}

// The failure that the error state already holds.
Status failed() {
    return Status(t_error.code);
}

// A failure: sets the error state and answers it.
Status fail(long code, std::string driver_code, std::string driver_text) {
    ErrorState& e = t_error;
    e.code = code;
    e.driver_code = std::move(driver_code);
    e.driver_text = std::move(driver_text);
    return Status(code);
}

// Remembers SQLite's code and message for `rc` on db and maps it to a data-layer code.
long driver_failure(sqlite3* db, int rc, long fallback) {
    const int ext = db ? sqlite3_extended_errcode(db) : rc;
    std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const int sys = db ? sqlite3_system_errno(db) : 0;
    if (sys && ((rc & 0xFF) == SQLITE_IOERR || (rc & 0xFF) == SQLITE_CANTOPEN || (rc & 0xFF) == SQLITE_FULL))
        text += ", os error " + std::to_string(sys);
    long code;
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        code = ERR_LOCKED;
        break;
    case SQLITE_NOTADB:
        code = ERR_INVALID_FILE;
        break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        code = ERR_ACCESS_DENIED;
        break;
    default:
        code = fallback;
    }
    set_error(code, std::to_string((rc & 0xFF) == (ext & 0xFF) ? ext : rc), std::move(text));
    return code;
}

void set_code(long code) {
    t_error.code = code;
}

} // namespace rt::kf

namespace rt {

long error_code() {
    return t_error.code;
}

std::string error_text() {
    return standard_text(t_error.code);
}

std::string driver_error_code() {
    return t_error.driver_code;
}

std::string driver_error_text() {
    return t_error.driver_text;
}

void set_error(long code, std::string driver_code, std::string driver_text) {
    ErrorState& e = t_error;
    e.code = code;
    e.driver_code = std::move(driver_code);
    e.driver_text = std::move(driver_text);
}

} // namespace rt
