// SQLite helpers of the driver: running statements and asking the file system through SQLite's own layer.
#include "runtime/keyfile_impl.h"

namespace rt::kf {

// Runs a statement that returns no rows (or whose rows are not needed) and resets it.
int run(sqlite3_stmt* s) {
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    }
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int exec(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

sqlite3_vfs* vfs() {
    return sqlite3_vfs_find(nullptr);
}

bool path_exists(const std::string& utf8) {
    int res = 0;
    sqlite3_vfs* v = vfs();
    return v->xAccess(v, utf8.c_str(), SQLITE_ACCESS_EXISTS, &res) == SQLITE_OK && res != 0;
}

// Windows' EXISTS test takes a folder (size 0) for missing; its READ test takes it as it is.
bool folder_exists(const std::string& utf8) {
    int res = 0;
    sqlite3_vfs* v = vfs();
#ifdef _WIN32
    const int how = SQLITE_ACCESS_READ;
#else
    const int how = SQLITE_ACCESS_EXISTS;
#endif
    return v->xAccess(v, utf8.c_str(), how, &res) == SQLITE_OK && res != 0;
}

// The folder part of a path ("." for a bare name).
std::string parent_of(const std::string& utf8) {
    const std::size_t cut = utf8.find_last_of("/\\");
    if (cut == std::string::npos) return ".";
    if (cut == 0) return utf8.substr(0, 1);
    return utf8.substr(0, cut);
}

bool is_corrupt(int rc) {
    return (rc & 0xFF) == SQLITE_CORRUPT;
}

} // namespace rt::kf
