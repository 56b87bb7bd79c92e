// Keyed data files over SQLite. See keyfile.h for the operations; this file maps a declared table onto a
// database:
//
//   - the record is one row of a table named after the declared table (lower case); its position is the
//     rowid "pos" (AUTOINCREMENT, so a deleted record's position is never handed to a new record);
//   - every field is one column named after the field: numbers INTEGER, text TEXT holding UTF-8 without trailing
//     blanks when the CP949 bytes convert both ways, otherwise a BLOB of the raw bytes, so every text keeps its
//     bytes exactly; the slots of an array field are the lines of its text (trailing empty ones dropped), or
//     all its bytes in a BLOB. Fewer columns make reading a record faster;
//   - a text key component also has a BLOB column of the full blank-padded bytes (ASCII letters upper-cased for
//     a case-insensitive key: "<field>_upper", as they are otherwise: "<field>_bytes"), so that the index order
//     is the CP949 byte order and any SQLite reader can follow it without a collation of ours;
//   - each key is an index "<table>_<key>" on its component columns (DESC where descending), partial for an
//     optional key (WHERE some component is non-zero or non-blank); equal values follow the rowid;
//   - each large field is a table "<table>_<field>"("pos", "data") keyed by the record's position, so list scans
//     and small updates never touch it;
//   - "<table>_keys" holds the number of entries each key should have, kept by triggers; comparing it with a
//     count over each index at open is how damaged keys are found without reading the records.
//
// Writes are one transaction each in the rollback journal with synchronous=FULL (no WAL: files may sit on network
// shares), so a killed process never leaves a half-written record. Sequential reading steps a statement over the
// key's index in batches and resets it between them, so a paused scan holds no lock that would block other
// processes.
#include "runtime/keyfile.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>

#include "runtime/perthread.h"
#include "runtime/text.h"

namespace rt {

namespace {

// ---------------------------------------------------------------------------------------------------------------
// Error state

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
Status fail(long code, std::string driver_code = {}, std::string driver_text = {}) {
    ErrorState& e = t_error;
    e.code = code;
    e.driver_code = std::move(driver_code);
    e.driver_text = std::move(driver_text);
    return Status(code);
}

// ---------------------------------------------------------------------------------------------------------------
// CP949 <-> UTF-8 for the text columns. The tables come from rt::from_cp949 / rt::to_cp949 once per process; a
// character is convertible only when it goes both ways to the same bytes.

void put_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf16_to_utf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        put_utf8(out, c);
    }
    return out;
}

class Codec {
public:
    static const Codec& get() {
        static const Codec codec;
        return codec;
    }

    // UTF-8 for CP949 bytes; false when some byte sequence does not convert both ways (or is a NUL).
    bool to_utf8(std::string_view in, std::string& out) const {
        out.clear();
        for (std::size_t i = 0; i < in.size(); ++i) {
            const auto c = static_cast<unsigned char>(in[i]);
            if (c < 0x80) {
                if (c == 0) return false;
                out += static_cast<char>(c);
            } else if (is_lead(c) && i + 1 < in.size()) {
                const char16_t u = fwd_[(c - 0x81) * 256 + static_cast<unsigned char>(in[i + 1])];
                if (!u) return false;
                put_utf8(out, u);
                ++i;
            } else {
                return false;
            }
        }
        return true;
    }

    // CP949 for UTF-8; what CP949 lacks, and bad UTF-8, becomes '?'.
    void from_utf8(std::string_view in, std::string& out) const {
        out.clear();
        std::size_t i = 0;
        while (i < in.size()) {
            const auto c = static_cast<unsigned char>(in[i]);
            if (c < 0x80) {
                out += static_cast<char>(c);
                ++i;
                continue;
            }
            std::uint32_t cp = 0;
            std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
            bool good = len != 0 && i + len <= in.size();
            if (good) {
                cp = c & (0x7F >> len);
                for (std::size_t k = 1; k < len; ++k) {
                    const auto t = static_cast<unsigned char>(in[i + k]);
                    if ((t & 0xC0) != 0x80) {
                        good = false;
                        break;
                    }
                    cp = (cp << 6) | (t & 0x3F);
                }
            }
            if (!good) {
                out += '?';
                ++i;
                continue;
            }
            i += len;
            const std::uint16_t code = cp < 0x10000 ? rev_[cp] : 0;
            if (code) {
                out += static_cast<char>(code >> 8);
                out += static_cast<char>(code & 0xFF);
            } else {
                out += '?';
            }
        }
    }

private:
    Codec() : fwd_(126 * 256, 0), rev_(65536, 0) {
        // The pairs of one lead byte, one per line, converted in one call each way; should a converter swallow a
        // line break, that lead byte's pairs are converted one by one.
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            std::vector<std::uint16_t> codes;
            for (unsigned trail = 0x41; trail <= 0xFE; ++trail)
                if (is_trail(static_cast<unsigned char>(trail)))
                    codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
            std::vector<char16_t> units = to_units(codes);
            if (units.size() != codes.size()) {
                units.clear();
                for (std::uint16_t code : codes) {
                    const std::vector<char16_t> one = to_units({code});
                    units.push_back(one.size() == 1 ? one[0] : 0);
                }
            }
            std::u16string back_in;
            for (char16_t u : units) {
                back_in += u ? u : u'?';
                back_in += u'\n';
            }
            const std::string back = to_cp949(back_in);
            std::size_t at = 0;
            for (std::size_t n = 0; n < codes.size(); ++n) {
                const std::size_t end = back.find('\n', at);
                if (end == std::string::npos) break;
                const std::string_view got(back.data() + at, end - at);
                at = end + 1;
                const char16_t u = units[n];
                if (!u || u < 0x80 || got.size() != 2) continue;
                const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(got[0]) << 8 |
                                                             static_cast<unsigned char>(got[1]));
                if (code != codes[n] || rev_[u]) continue;
                fwd_[((code >> 8) - 0x81) * 256 + (code & 0xFF)] = u;
                rev_[u] = code;
            }
        }
    }

    // The UTF-16 unit of each CP949 pair (0 when a pair gives anything but one unit), or fewer entries than
    // pairs when the converter's output does not line up with them.
    static std::vector<char16_t> to_units(const std::vector<std::uint16_t>& codes) {
        std::string pairs;
        for (std::uint16_t c : codes) {
            pairs += static_cast<char>(c >> 8);
            pairs += static_cast<char>(c & 0xFF);
            pairs += '\n';
        }
        const std::u16string wide = from_cp949(pairs);
        std::vector<char16_t> units;
        std::size_t start = 0;
        for (std::size_t i = 0; i < wide.size(); ++i)
            if (wide[i] == u'\n') {
                units.push_back(i - start == 1 ? wide[start] : 0);
                start = i + 1;
            }
        return units;
    }

    std::vector<char16_t> fwd_;      // (lead - 0x81) * 256 + trail -> UTF-16, 0 when not convertible
    std::vector<std::uint16_t> rev_; // UTF-16 -> lead << 8 | trail, 0 when none
};

// File names are CP949; SQLite takes UTF-8 (and on Windows turns it into UTF-16 itself).
std::string utf8_path(std::string_view cp949) {
    return utf16_to_utf8(from_cp949(cp949));
}

// ---------------------------------------------------------------------------------------------------------------
// Schema derived from a declaration

std::string lower(const char* s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string quoted(const std::string& name) {
    return '"' + name + '"';
}

std::string hex_blanks(std::size_t n) {
    std::string out = "x'";
    for (std::size_t i = 0; i < n; ++i)
        out += "20";
    return out + "'";
}

// One data column: a slot of a field.
struct Column {
    std::string name;
    std::size_t field;
    FieldType type;
    std::size_t offset; // byte position of the field in the record
    std::size_t size;   // of one slot
    std::size_t slots;
};

// A key column holding a text field's padded bytes (upper-cased for nocase).
struct KeyColumn {
    std::string name;
    std::size_t field;
    bool upper;
};

struct KeyInfo {
    std::string index;              // index name
    std::vector<std::string> exprs; // the column of each component
    std::vector<int> text_column;   // key column of each component, -1 for a number
    std::string cond;               // membership condition over the table's columns, "1" when not optional
    std::string cond_new, cond_old; // the same over new./old. in triggers
    std::string index_sql;
};

struct Schema {
    std::string table;      // quoted table name
    std::string table_name; // unquoted
    std::vector<Column> columns;
    std::vector<KeyColumn> key_columns;
    std::vector<KeyInfo> keys;
    std::vector<std::string> blob_tables; // unquoted names
    std::string keys_table;               // unquoted
    std::string table_sql;
    std::vector<std::string> blob_sql;
    std::string keys_sql;
    std::vector<std::pair<std::string, std::string>> triggers; // name, sql
    std::string insert_sql, update_sql, select_cols;
    bool valid = true;
};

Schema make_schema(const Table& t) {
    Schema s;
    s.table_name = lower(t.name);
    s.table = quoted(s.table_name);
    for (std::size_t f = 0; f < t.fields.size(); ++f) {
        const Field& fd = t.fields[f];
        const std::size_t width = fd.type == FieldType::Text    ? fd.size
                                  : fd.type == FieldType::Byte  ? 1
                                  : fd.type == FieldType::Short ? 2
                                                                : 4;
        if (fd.size != width || fd.slots == 0 || fd.offset + fd.size * fd.slots > t.record_size) s.valid = false;
        if (fd.slots > 1 && fd.type != FieldType::Text) s.valid = false;
        s.columns.push_back({lower(fd.name), f, fd.type, fd.offset, fd.size, fd.slots});
    }
    auto key_column = [&](std::size_t field, bool upper) {
        const std::string name = lower(t.fields[field].name) + (upper ? "_upper" : "_bytes");
        for (std::size_t i = 0; i < s.key_columns.size(); ++i)
            if (s.key_columns[i].name == name) return static_cast<int>(i);
        s.key_columns.push_back({name, field, upper});
        return static_cast<int>(s.key_columns.size() - 1);
    };
    for (const KeyDecl& k : t.keys) {
        KeyInfo ki;
        ki.index = s.table_name + "_" + lower(k.name);
        std::string cols, conds, conds_new, conds_old;
        if (k.parts.empty()) s.valid = false;
        for (const KeyPart& p : k.parts) {
            if (p.field >= t.fields.size() || t.fields[p.field].slots != 1) {
                s.valid = false;
                continue;
            }
            const Field& fd = t.fields[p.field];
            std::string col, test;
            if (fd.type == FieldType::Text) {
                const int kc = key_column(p.field, k.nocase);
                col = quoted(s.key_columns[kc].name);
                test = "<>" + hex_blanks(fd.size);
                ki.text_column.push_back(kc);
            } else {
                col = quoted(lower(fd.name));
                test = "<>0";
                ki.text_column.push_back(-1);
            }
            ki.exprs.push_back(col);
            if (!cols.empty()) cols += ",";
            cols += col + (p.descending ? " DESC" : "");
            const std::string sep = conds.empty() ? "" : " OR ";
            conds += sep + col + test;
            conds_new += sep + "new." + col + test;
            conds_old += sep + "old." + col + test;
        }
        ki.cond = k.optional ? conds : "1";
        ki.cond_new = k.optional ? "(" + conds_new + ")" : "1";
        ki.cond_old = k.optional ? "(" + conds_old + ")" : "1";
        ki.index_sql = "CREATE INDEX " + quoted(ki.index) + " ON " + s.table + "(" + cols + ")" +
                       (k.optional ? " WHERE " + conds : "");
        s.keys.push_back(ki);
    }

    s.table_sql = "CREATE TABLE " + s.table + "(\"pos\" INTEGER PRIMARY KEY AUTOINCREMENT";
    std::string names, marks, sets;
    for (const Column& c : s.columns) {
        s.table_sql += "," + quoted(c.name) +
                       (c.type == FieldType::Text ? " TEXT NOT NULL DEFAULT ''" : " INTEGER NOT NULL DEFAULT 0");
        names += (names.empty() ? "" : ",") + quoted(c.name);
        marks += marks.empty() ? "?" : ",?";
        sets += (sets.empty() ? "" : ",") + quoted(c.name) + "=?";
    }
    s.select_cols = "\"pos\"," + names;
    for (const KeyColumn& c : s.key_columns) {
        s.table_sql += "," + quoted(c.name) + " BLOB NOT NULL DEFAULT " + hex_blanks(t.fields[c.field].size);
        names += "," + quoted(c.name);
        marks += ",?";
        sets += "," + quoted(c.name) + "=?";
    }
    s.table_sql += ")";
    s.insert_sql = "INSERT INTO " + s.table + "(" + names + ") VALUES(" + marks + ")";
    s.update_sql = "UPDATE " + s.table + " SET " + sets + " WHERE \"pos\"=?";

    for (const char* b : t.blobs) {
        const std::string name = s.table_name + "_" + lower(b);
        s.blob_tables.push_back(name);
        s.blob_sql.push_back("CREATE TABLE " + quoted(name) + "(\"pos\" INTEGER PRIMARY KEY, \"data\" BLOB NOT NULL)");
    }

    s.keys_table = s.table_name + "_keys";
    s.keys_sql = "CREATE TABLE " + quoted(s.keys_table) + "(\"key\" TEXT PRIMARY KEY, \"entries\" INTEGER NOT NULL)";
    auto trigger = [&](const char* suffix, const char* event, const std::string& delta) {
        const std::string name = s.keys_table + "_" + suffix;
        s.triggers.emplace_back(name, "CREATE TRIGGER " + quoted(name) + " AFTER " + event + " ON " + s.table +
                                          " BEGIN UPDATE " + quoted(s.keys_table) +
                                          " SET \"entries\"=\"entries\"+CASE \"key\"" + delta + " ELSE 0 END; END");
    };
    std::string add, del, upd;
    for (std::size_t i = 0; i < t.keys.size(); ++i) {
        const std::string when = std::string(" WHEN '") + t.keys[i].name + "' THEN ";
        add += when + s.keys[i].cond_new;
        del += when + "-" + s.keys[i].cond_old;
        upd += when + s.keys[i].cond_new + "-" + s.keys[i].cond_old;
    }
    if (!t.keys.empty()) {
        trigger("add", "INSERT", add);
        trigger("del", "DELETE", del);
        trigger("put", "UPDATE", upd);
    }
    return s;
}

// ---------------------------------------------------------------------------------------------------------------
// SQLite helpers

// An owned prepared statement.
class Stmt {
public:
    Stmt() = default;
    ~Stmt() { sqlite3_finalize(s_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    Stmt(Stmt&& o) noexcept : s_(o.s_) { o.s_ = nullptr; }
    Stmt& operator=(Stmt&& o) noexcept {
        std::swap(s_, o.s_);
        return *this;
    }

    int prepare(sqlite3* db, const std::string& sql) {
        sqlite3_finalize(s_);
        s_ = nullptr;
        return sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &s_,
                                  nullptr);
    }
    sqlite3_stmt* get() const { return s_; }
    explicit operator bool() const { return s_ != nullptr; }

private:
    sqlite3_stmt* s_ = nullptr;
};

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

// Remembers SQLite's code and message for `rc` on db and maps it to a data-layer code.
long driver_failure(sqlite3* db, int rc, long fallback = ERR_DRIVER) {
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

bool is_corrupt(int rc) {
    return (rc & 0xFF) == SQLITE_CORRUPT;
}

std::int64_t read_number(const char* p, FieldType type) {
    switch (type) {
    case FieldType::Byte:
        return static_cast<unsigned char>(*p);
    case FieldType::Short: {
        std::int16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case FieldType::Long: {
        std::int32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case FieldType::Text:
        break;
    }
    return 0;
}

void write_number(char* p, FieldType type, std::int64_t value) {
    switch (type) {
    case FieldType::Byte:
        *p = static_cast<char>(static_cast<unsigned char>(value));
        break;
    case FieldType::Short: {
        const auto v = static_cast<std::int16_t>(value);
        std::memcpy(p, &v, sizeof v);
        break;
    }
    case FieldType::Long: {
        const auto v = static_cast<std::int32_t>(value);
        std::memcpy(p, &v, sizeof v);
        break;
    }
    case FieldType::Text:
        break;
    }
}

// A key component's value: a number, or the padded key bytes of a text.
struct KeyValue {
    std::int64_t number = 0;
    std::string bytes;
    bool text = false;
};

// A column value of a row: a number, or the bytes of a text or BLOB.
struct Cell {
    int type; // SQLITE_INTEGER, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL
    std::int64_t number = 0;
    std::string_view bytes;
};

void bind_value(sqlite3_stmt* s, int at, const KeyValue& v) {
    if (v.text)
        sqlite3_bind_blob(s, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
    else
        sqlite3_bind_int64(s, at, v.number);
}

constexpr int kMinBatch = 16;
constexpr int kMaxBatch = 4096;
constexpr int kDefaultBusyMs = 1000;

} // namespace

long error_code() {
    return t_error.code;
}

std::string error_text() {
    return standard_text(t_error.code);
}

std::string driver_error_code() {
    return t_error.driver_code;
}

std::int64_t field_number(const Field& f, const void* row) {
    return read_number(static_cast<const char*>(row) + f.offset, f.type);
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

// ---------------------------------------------------------------------------------------------------------------

struct KeyFile::Impl {
    // Statements of one key, per direction (0 forward, 1 backward): from the start, and the tiers of a re-seek
    // (tier j: the first j components equal, component j beyond; tier n: all equal, position beyond).
    struct KeyStmts {
        Stmt start[2];
        std::vector<Stmt> tier[2];
    };

    // A large field in the buffer.
    struct BlobSlot {
        bool loaded = true; // data holds the field
        bool dirty = false; // set since the record was read or written
        std::string data;
        std::int64_t source = 0; // record whose field this is (read lazily when not loaded)
    };

    // Sequential reading: the key, the position and a batch of rows read ahead in one direction.
    struct Cursor {
        enum class Mode { None, Start, Value, After };
        int key = -1;
        Mode mode = Mode::None;
        std::vector<KeyValue> at; // the key value (Value) or that of the last row returned (After)
        std::int64_t pos = 0;     // position of the last row returned (After)
        int dir = 0;              // direction of the rows in the batch, 0 when there is no batch
        int batch = kMinBatch;    // rows to read in the next batch
        // The batch: each row as it came from SQLite (its position, then its columns and key columns as
        // cells), decoded into the record only when next() or previous() reaches it.
        std::string arena;
        std::vector<std::size_t> rows; // offset of each row in arena
        std::size_t count = 0, index = 0;
    };

    const Table& table;
    char* record;
    Schema schema;
    std::vector<char> blank; // a cleared record image
    bool gaps = false;       // some record bytes belong to no field (they read as in a cleared record)
    const char* name_var = nullptr;
    std::size_t name_len = 0;
    std::string fixed_name;
    int busy_ms = kDefaultBusyMs;

    sqlite3* db = nullptr;
    std::int64_t current = 0;
    Cursor cur;
    std::vector<BlobSlot> blobs;

    Stmt begin, begin_read, commit, rollback, savepoint, release, undo_write, insert, update, erase, select_at,
        count;
    bool txn = false; // inside begin() .. commit()/rollback()
    std::vector<Stmt> blob_read, blob_size, blob_write, blob_erase, blob_copy;
    std::vector<KeyStmts> key_stmts;
    std::string text_buf, slot_buf; // scratch for conversions
    std::vector<Cell> cells;        // scratch for a row

    Impl(const Table& t, void* rec) : table(t), record(static_cast<char*>(rec)), schema(make_schema(t)) {
        blank.assign(t.record_size, 0);
        std::vector<bool> covered(t.record_size, false);
        for (const Column& c : schema.columns) {
            const std::size_t n = c.size * c.slots;
            if (c.offset + n > t.record_size) continue;
            if (c.type == FieldType::Text) std::memset(blank.data() + c.offset, ' ', n);
            for (std::size_t i = 0; i < n; ++i)
                covered[c.offset + i] = true;
        }
        gaps = std::find(covered.begin(), covered.end(), false) != covered.end();
        blobs.resize(t.blobs.size());
    }

    ~Impl() { close_db(); }

    std::string file_name() const {
        if (name_var) return clip(std::string_view(name_var, name_len));
        return clip(fixed_name);
    }

    // The statements that make an empty file of this table.
    std::string create_sql() const {
        const Schema& s = schema;
        std::string sql = s.table_sql + ";" + s.keys_sql + ";";
        for (const std::string& b : s.blob_sql)
            sql += b + ";";
        for (const KeyInfo& k : s.keys)
            sql += k.index_sql + ";";
        for (const auto& t : s.triggers)
            sql += t.second + ";";
        for (const KeyDecl& k : table.keys)
            sql += "INSERT INTO " + quoted(s.keys_table) + " VALUES('" + k.name + "',0);";
        return sql;
    }

    // Makes the file over again from its records when an index cannot even be dropped: the records go into a
    // fresh file beside it (row by row, so that the new indexes are built from them and no old index page is
    // read), which then replaces the file's contents in one journaled transaction.
    int copy_into_fresh_file(sqlite3* h, const std::string& path) const {
        const std::string tmp = path + "-rebuild";
        sqlite3_vfs* v = vfs();
        v->xDelete(v, tmp.c_str(), 0);
        sqlite3* fresh = nullptr;
        int rc = sqlite3_open_v2(tmp.c_str(), &fresh, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc == SQLITE_OK) rc = exec(fresh, "BEGIN;" + create_sql() + "COMMIT;");
        if (rc == SQLITE_OK) {
            Stmt attach;
            rc = attach.prepare(h, "ATTACH ? AS \"rebuild\"");
            if (rc == SQLITE_OK) {
                sqlite3_bind_text(attach.get(), 1, tmp.c_str(), -1, SQLITE_STATIC);
                rc = run(attach.get());
            }
            if (rc == SQLITE_OK) {
                const Schema& s = schema;
                std::string sql =
                    "BEGIN;INSERT INTO \"rebuild\"." + s.table + " SELECT * FROM \"main\"." + s.table + ";";
                for (const std::string& b : s.blob_tables)
                    sql += "INSERT INTO \"rebuild\"." + quoted(b) + " SELECT * FROM \"main\"." + quoted(b) + ";";
                sql += "UPDATE \"rebuild\".sqlite_sequence SET seq=max(seq,coalesce((SELECT seq FROM "
                       "\"main\".sqlite_sequence WHERE name='" +
                       s.table_name + "'),0)) WHERE name='" + s.table_name + "';";
                rc = exec(h, sql + "COMMIT;");
                if (rc != SQLITE_OK) exec(h, "ROLLBACK");
                exec(h, "DETACH \"rebuild\"");
            }
        }
        if (rc == SQLITE_OK) {
            sqlite3_backup* b = sqlite3_backup_init(h, "main", fresh, "main");
            if (!b) {
                rc = sqlite3_errcode(h);
            } else {
                rc = sqlite3_backup_step(b, -1);
                sqlite3_backup_finish(b);
                rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
            }
        }
        sqlite3_close_v2(fresh);
        v->xDelete(v, tmp.c_str(), 0);
        return rc;
    }

    // ---- connection

    void finalize_all() {
        begin = Stmt();
        begin_read = Stmt();
        commit = Stmt();
        rollback = Stmt();
        savepoint = Stmt();
        release = Stmt();
        undo_write = Stmt();
        insert = Stmt();
        update = Stmt();
        erase = Stmt();
        select_at = Stmt();
        count = Stmt();
        blob_read.clear();
        blob_size.clear();
        blob_write.clear();
        blob_erase.clear();
        blob_copy.clear();
        key_stmts.clear();
    }

    void close_db() {
        finalize_all();
        if (db) sqlite3_close_v2(db); // rolls back an open transaction
        db = nullptr;
        txn = false;
    }

    // Settings of every connection that need no access to the file.
    void configure(sqlite3* h) const {
        sqlite3_busy_timeout(h, busy_ms);
        sqlite3_extended_result_codes(h, 1);
        sqlite3_db_config(h, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    }

    // Settings that read the schema: made once it is known that the file can be read.
    static int tune(sqlite3* h) {
        int rc = exec(h, "PRAGMA synchronous=FULL");
        if (rc == SQLITE_OK) rc = exec(h, "PRAGMA cache_size=-32768");
        return rc;
    }

    // Opens a connection to an existing file; 0 or the data-layer code (error state set).
    long connect(const std::string& path, sqlite3** out) const {
        *out = nullptr;
        if (path.empty()) {
            set_error(ERR_FILE_NOT_FOUND, {}, "no file name");
            return ERR_FILE_NOT_FOUND;
        }
        sqlite3* h = nullptr;
        const int rc = sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            long code = driver_failure(h, rc);
            if ((rc & 0xFF) == SQLITE_CANTOPEN) {
                if (!path_exists(path))
                    code = folder_exists(parent_of(path)) ? ERR_FILE_NOT_FOUND : ERR_PATH_NOT_FOUND;
                else
                    code = sqlite3_system_errno(h) == 32 ? ERR_LOCKED : ERR_ACCESS_DENIED;
                t_error.code = code;
            }
            sqlite3_close_v2(h);
            return code;
        }
        if (sqlite3_db_readonly(h, "main") == 1) {
            sqlite3_close_v2(h);
            set_error(ERR_ACCESS_DENIED, {}, "the file is read-only");
            return ERR_ACCESS_DENIED;
        }
        configure(h);
        *out = h;
        return 0;
    }

    // Checks that the file holds this table with intact keys: 0, ERR_INVALID_FILE, ERR_KEYS_DAMAGED or another
    // code (error state set).
    long check(sqlite3* h) const {
        int rc = exec(h, "BEGIN");
        long code = rc == SQLITE_OK ? check_in_transaction(h) : driver_failure(h, rc);
        exec(h, "COMMIT");
        return code;
    }

    long check_in_transaction(sqlite3* h) const {
        std::map<std::string, std::string> objects; // name -> sql
        {
            Stmt s;
            int rc = s.prepare(h, "SELECT name, sql FROM sqlite_schema");
            while (rc == SQLITE_OK && (rc = sqlite3_step(s.get())) == SQLITE_ROW) {
                rc = SQLITE_OK;
                const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
                const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1));
                objects[name ? name : ""] = sql ? sql : "";
            }
            if (rc != SQLITE_DONE) {
                const long code = driver_failure(h, rc);
                return code;
            }
        }
        auto has = [&](const std::string& name, const std::string& sql) {
            const auto it = objects.find(name);
            return it != objects.end() && it->second == sql;
        };
        bool layout = schema.valid && has(schema.table_name, schema.table_sql);
        for (std::size_t i = 0; i < schema.blob_tables.size(); ++i)
            layout = layout && has(schema.blob_tables[i], schema.blob_sql[i]);
        if (!layout) {
            set_error(ERR_INVALID_FILE, {}, "the file does not hold the table " + std::string(table.name));
            return ERR_INVALID_FILE;
        }
        auto damaged = [](std::string why) {
            set_error(ERR_KEYS_DAMAGED, {}, std::move(why));
            return ERR_KEYS_DAMAGED;
        };
        bool keys = has(schema.keys_table, schema.keys_sql);
        for (const KeyInfo& k : schema.keys)
            keys = keys && has(k.index, k.index_sql);
        for (const auto& [name, sql] : schema.triggers)
            keys = keys && has(name, sql);
        if (!keys) return damaged("a key's index or its bookkeeping is missing or changed");

        // The number of entries of every index must be the number its records should give it.
        std::map<std::string, std::int64_t> expected;
        {
            Stmt s;
            int rc = s.prepare(h, "SELECT \"key\", \"entries\" FROM " + quoted(schema.keys_table));
            while (rc == SQLITE_OK && (rc = sqlite3_step(s.get())) == SQLITE_ROW) {
                rc = SQLITE_OK;
                const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
                expected[name ? name : ""] = sqlite3_column_int64(s.get(), 1);
            }
            if (rc != SQLITE_DONE) {
                if (is_corrupt(rc)) return damaged(sqlite3_errmsg(h));
                return driver_failure(h, rc);
            }
        }
        for (std::size_t i = 0; i < schema.keys.size(); ++i) {
            const KeyInfo& k = schema.keys[i];
            Stmt s;
            int rc = s.prepare(h, "SELECT count(*) FROM " + schema.table + " INDEXED BY " + quoted(k.index) +
                                      " WHERE " + k.cond);
            if (rc == SQLITE_OK) rc = sqlite3_step(s.get());
            if (rc != SQLITE_ROW) {
                if (is_corrupt(rc)) return damaged(std::string(table.keys[i].name) + ": " + sqlite3_errmsg(h));
                return driver_failure(h, rc);
            }
            const auto it = expected.find(table.keys[i].name);
            if (it == expected.end() || it->second != sqlite3_column_int64(s.get(), 0))
                return damaged(std::string(table.keys[i].name) + " does not hold the entries of its records");
        }
        return 0;
    }

    int prepare_statements() {
        const Schema& s = schema;
        int rc = SQLITE_OK;
        auto prep = [&](Stmt& st, const std::string& sql) {
            if (rc == SQLITE_OK) rc = st.prepare(db, sql);
        };
        prep(begin, "BEGIN IMMEDIATE");
        prep(begin_read, "BEGIN");
        prep(commit, "COMMIT");
        prep(rollback, "ROLLBACK");
        prep(savepoint, "SAVEPOINT \"write\"");
        prep(release, "RELEASE \"write\"");
        prep(undo_write, "ROLLBACK TO \"write\"");
        prep(insert, s.insert_sql);
        prep(update, s.update_sql);
        prep(erase, "DELETE FROM " + s.table + " WHERE \"pos\"=?");
        prep(select_at, "SELECT " + s.select_cols + " FROM " + s.table + " WHERE \"pos\"=?");
        prep(count, "SELECT count(*) FROM " + s.table);
        const std::size_t n = s.blob_tables.size();
        blob_read.resize(n);
        blob_size.resize(n);
        blob_write.resize(n);
        blob_erase.resize(n);
        blob_copy.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::string t = quoted(s.blob_tables[i]);
            prep(blob_read[i], "SELECT \"data\" FROM " + t + " WHERE \"pos\"=?");
            prep(blob_size[i], "SELECT length(\"data\") FROM " + t + " WHERE \"pos\"=?");
            prep(blob_write[i], "INSERT OR REPLACE INTO " + t + "(\"pos\",\"data\") VALUES(?,?)");
            prep(blob_erase[i], "DELETE FROM " + t + " WHERE \"pos\"=?");
            prep(blob_copy[i],
                 "INSERT OR REPLACE INTO " + t + "(\"pos\",\"data\") SELECT ?,\"data\" FROM " + t + " WHERE \"pos\"=?");
        }
        key_stmts.clear();
        key_stmts.resize(s.keys.size());
        return rc;
    }

    // ---- record buffer <-> statement

    // Binds the buffer's fields (and key columns) from parameter 1 on; answers the next parameter number.
    int bind_record(sqlite3_stmt* st) {
        int at = 1;
        for (const Column& c : schema.columns) {
            const char* p = record + c.offset;
            if (c.type != FieldType::Text) {
                sqlite3_bind_int64(st, at++, read_number(p, c.type));
                continue;
            }
            if (encode_text(c, p))
                sqlite3_bind_text(st, at, text_buf.data(), static_cast<int>(text_buf.size()), SQLITE_TRANSIENT);
            else
                sqlite3_bind_blob(st, at, text_buf.data(), static_cast<int>(text_buf.size()), SQLITE_TRANSIENT);
            ++at;
        }
        for (const KeyColumn& k : schema.key_columns) {
            const Field& f = table.fields[k.field];
            const std::string_view raw(record + f.offset, f.size);
            const std::string bytes = k.upper ? upper(raw) : std::string(raw);
            sqlite3_bind_blob(st, at++, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        }
        return at;
    }

    static Cell cell_of(sqlite3_stmt* st, int i, bool text) {
        if (!text) return {SQLITE_INTEGER, sqlite3_column_int64(st, i), {}};
        const int type = sqlite3_column_type(st, i);
        if (type == SQLITE_NULL) return {SQLITE_NULL, 0, {}};
        const auto* p = type == SQLITE_BLOB ? static_cast<const char*>(sqlite3_column_blob(st, i))
                                            : reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        const auto n = static_cast<std::size_t>(sqlite3_column_bytes(st, i));
        return {type == SQLITE_BLOB ? SQLITE_BLOB : SQLITE_TEXT, 0, p ? std::string_view(p, n) : std::string_view()};
    }

    // The cells of a row from column 1 on: the data columns, then (key >= 0) that key's columns.
    void cells_of(sqlite3_stmt* st, int key, std::vector<Cell>& out) const {
        out.clear();
        int at = 1;
        for (const Column& c : schema.columns)
            out.push_back(cell_of(st, at++, c.type == FieldType::Text));
        if (key >= 0)
            for (int kc : schema.keys[static_cast<std::size_t>(key)].text_column)
                if (kc >= 0) out.push_back(cell_of(st, at++, true));
    }

    // Fills a record image from the cells of the data columns.
    void decode_row(const Cell* cells, char* image) {
        if (gaps) std::memcpy(image, blank.data(), blank.size());
        for (const Column& c : schema.columns) {
            const Cell& v = *cells++;
            char* p = image + c.offset;
            if (c.type != FieldType::Text) {
                write_number(p, c.type, v.number);
                continue;
            }
            std::memset(p, ' ', c.size * c.slots);
            if (v.type == SQLITE_BLOB)
                std::memcpy(p, v.bytes.data(), std::min(v.bytes.size(), c.size * c.slots));
            else if (v.type == SQLITE_TEXT)
                decode_text(c, v.bytes, p);
        }
    }

    // Fills a record image from a row whose columns are those of select_cols (column 0 the position).
    void read_row(sqlite3_stmt* st, char* image) {
        cells_of(st, -1, cells);
        decode_row(cells.data(), image);
    }

    // Appends a row (its position and cells) to the batch.
    void keep_row(std::int64_t pos, const std::vector<Cell>& row) {
        std::string& a = cur.arena;
        cur.rows.push_back(a.size());
        a.append(reinterpret_cast<const char*>(&pos), sizeof pos);
        for (const Cell& c : row) {
            a += static_cast<char>(c.type);
            if (c.type == SQLITE_INTEGER) {
                a.append(reinterpret_cast<const char*>(&c.number), sizeof c.number);
            } else if (c.type != SQLITE_NULL) {
                const auto n = static_cast<std::uint32_t>(c.bytes.size());
                a.append(reinterpret_cast<const char*>(&n), sizeof n);
                a.append(c.bytes.data(), c.bytes.size());
            }
        }
    }

    // The position and cells of batch row i.
    std::int64_t row_cells(std::size_t i, std::vector<Cell>& out) const {
        const char* p = cur.arena.data() + cur.rows[i];
        std::int64_t pos;
        std::memcpy(&pos, p, sizeof pos);
        p += sizeof pos;
        const std::vector<int>& text_column = schema.keys[static_cast<std::size_t>(cur.key)].text_column;
        const std::size_t n =
            schema.columns.size() + static_cast<std::size_t>(std::count_if(text_column.begin(), text_column.end(),
                                                                           [](int kc) { return kc >= 0; }));
        out.resize(n);
        for (Cell& c : out) {
            c.type = static_cast<unsigned char>(*p++);
            c.number = 0;
            c.bytes = {};
            if (c.type == SQLITE_INTEGER) {
                std::memcpy(&c.number, p, sizeof c.number);
                p += sizeof c.number;
            } else if (c.type != SQLITE_NULL) {
                std::uint32_t len;
                std::memcpy(&len, p, sizeof len);
                p += sizeof len;
                c.bytes = std::string_view(p, len);
                p += len;
            }
        }
        return pos;
    }

    // The column value of a text field into text_buf: UTF-8 without trailing blanks, its slots one per line
    // (trailing empty lines dropped), when every slot converts both ways (true); otherwise the field's bytes,
    // without trailing blanks for a single slot (false).
    bool encode_text(const Column& c, const char* p) {
        const Codec& codec = Codec::get();
        text_buf.clear();
        std::size_t keep = 0; // length up to the last slot that is not blank
        bool utf8 = true;
        for (std::size_t k = 0; k < c.slots && utf8; ++k) {
            const std::string_view raw(p + k * c.size, c.size);
            const std::size_t end = raw.find_last_not_of(' ');
            const std::string_view text = end == std::string_view::npos ? std::string_view() : raw.substr(0, end + 1);
            if (k) text_buf += '\n';
            if (!codec.to_utf8(text, slot_buf) || slot_buf.find('\n') != std::string::npos) utf8 = false;
            text_buf += slot_buf;
            if (!text.empty()) keep = text_buf.size();
        }
        if (utf8) {
            text_buf.resize(keep);
            return true;
        }
        const std::string_view raw(p, c.size * c.slots);
        const std::size_t end = raw.find_last_not_of(' ');
        text_buf.assign(c.slots == 1 && end != std::string_view::npos ? raw.substr(0, end + 1)
                        : c.slots == 1                                ? std::string_view()
                                                                      : raw);
        return false;
    }

    // A TEXT column value into a blank field: one line per slot, each cut to the slot at a character boundary.
    void decode_text(const Column& c, std::string_view v, char* p) {
        const Codec& codec = Codec::get();
        for (std::size_t k = 0; k < c.slots; ++k) {
            const std::size_t nl = c.slots > 1 ? v.find('\n') : std::string_view::npos;
            const std::string_view line = v.substr(0, nl);
            bool ascii = true;
            for (char ch : line)
                if (static_cast<unsigned char>(ch) >= 0x80) {
                    ascii = false;
                    break;
                }
            char* slot = p + k * c.size;
            if (ascii) {
                std::memcpy(slot, line.data(), std::min(line.size(), c.size));
            } else {
                codec.from_utf8(line, slot_buf);
                std::memcpy(slot, slot_buf.data(), cut_point(slot_buf, c.size));
            }
            if (nl == std::string_view::npos) break;
            v.remove_prefix(nl + 1);
        }
    }

    // The key value of the buffer.
    std::vector<KeyValue> buffer_key(int key) const {
        std::vector<KeyValue> out;
        const KeyDecl& k = table.keys[static_cast<std::size_t>(key)];
        for (const KeyPart& p : k.parts) {
            const Field& f = table.fields[p.field];
            KeyValue v;
            if (f.type == FieldType::Text) {
                v.text = true;
                const std::string_view raw(record + f.offset, f.size);
                v.bytes = k.nocase ? upper(raw) : std::string(raw);
            } else {
                v.number = read_number(record + f.offset, f.type);
            }
            out.push_back(std::move(v));
        }
        return out;
    }

    // After a record was read into the buffer (or added): it is current and its large fields are its own.
    void became_current(std::int64_t pos) {
        current = pos;
        for (BlobSlot& b : blobs) {
            b.loaded = false;
            b.dirty = false;
            b.data.clear();
            b.source = pos;
        }
    }

    // ---- sequential reading

    sqlite3_stmt* key_statement(int key, int dir, int tier) {
        KeyStmts& ks = key_stmts[static_cast<std::size_t>(key)];
        const KeyInfo& ki = schema.keys[static_cast<std::size_t>(key)];
        const KeyDecl& kd = table.keys[static_cast<std::size_t>(key)];
        const std::size_t n = kd.parts.size();
        Stmt* st;
        if (tier < 0) {
            st = &ks.start[dir];
        } else {
            if (ks.tier[dir].empty()) ks.tier[dir].resize(n + 1);
            st = &ks.tier[dir][static_cast<std::size_t>(tier)];
        }
        if (*st) return st->get();
        std::string key_cols; // numeric components are read from the record's columns
        for (std::size_t i = 0; i < n; ++i)
            if (ki.text_column[i] >= 0) key_cols += "," + ki.exprs[i];
        std::string sql = "SELECT " + schema.select_cols + key_cols + " FROM " + schema.table + " INDEXED BY " +
                          quoted(ki.index) + " WHERE (" + ki.cond + ")";
        const bool back = dir == 1;
        auto order_from = [&](std::size_t first) {
            std::string o = " ORDER BY ";
            for (std::size_t i = first; i < n; ++i) {
                const bool desc = kd.parts[i].descending != back;
                o += ki.exprs[i] + (desc ? " DESC," : ",");
            }
            return o + (back ? "\"pos\" DESC" : "\"pos\"");
        };
        if (tier < 0) {
            sql += order_from(0);
        } else {
            const auto t = static_cast<std::size_t>(tier);
            for (std::size_t i = 0; i < t; ++i)
                sql += " AND " + ki.exprs[i] + "=?";
            if (t == n) {
                sql += back ? " AND \"pos\"<?" : " AND \"pos\">?";
                sql += order_from(n);
            } else {
                const bool after_is_greater = kd.parts[t].descending == back;
                sql += " AND " + ki.exprs[t] + (after_is_greater ? ">?" : "<?");
                sql += order_from(t);
            }
        }
        sql += " LIMIT ?";
        if (st->prepare(db, sql) != SQLITE_OK) return nullptr;
        return st->get();
    }

    // Appends the rows of a statement to the batch, at most `room`; answers the number read or -1 on failure.
    int fetch(sqlite3_stmt* st, int room) {
        int got = 0, rc = SQLITE_DONE;
        while (got < room && (rc = sqlite3_step(st)) == SQLITE_ROW) {
            cells_of(st, cur.key, cells);
            keep_row(sqlite3_column_int64(st, 0), cells);
            ++cur.count;
            ++got;
        }
        if (got < room && rc != SQLITE_DONE) {
            driver_failure(db, rc);
            sqlite3_reset(st);
            return -1;
        }
        sqlite3_reset(st);
        return got;
    }

    // Row i of the batch into the record buffer; it becomes the current record and the reading position.
    void take_row(std::size_t i) {
        const std::int64_t pos = row_cells(i, cells);
        decode_row(cells.data(), record);
        // Numeric components are the record's own columns (one per field); text ones follow the record.
        const KeyDecl& kd = table.keys[static_cast<std::size_t>(cur.key)];
        const std::vector<int>& text_column = schema.keys[static_cast<std::size_t>(cur.key)].text_column;
        std::size_t next_text = schema.columns.size();
        cur.at.resize(kd.parts.size());
        for (std::size_t k = 0; k < kd.parts.size(); ++k) {
            KeyValue& v = cur.at[k];
            v.text = text_column[k] >= 0;
            if (v.text) {
                const Cell& c = cells[next_text++];
                v.bytes.assign(c.bytes.data(), c.bytes.size());
            } else {
                v.number = cells[kd.parts[k].field].number;
            }
        }
        cur.pos = pos;
        cur.mode = Cursor::Mode::After;
        became_current(pos);
    }

    // Reads the next batch in direction dir (0 forward, 1 backward) from the cursor's position, in one read
    // transaction (each costs lock calls, which under Wine are server round trips).
    bool refill(int dir) {
        const bool own = !txn && run(begin_read.get()) == SQLITE_OK;
        const bool done = refill_batch(dir);
        if (own) run(commit.get());
        return done;
    }

    bool refill_batch(int dir) {
        cur.count = cur.index = 0;
        cur.arena.clear();
        cur.rows.clear();
        cur.dir = dir == 0 ? 1 : -1;
        const int room = cur.batch;
        cur.batch = std::min(cur.batch * 2, kMaxBatch);
        const std::size_t n = table.keys[static_cast<std::size_t>(cur.key)].parts.size();
        if (cur.mode == Cursor::Mode::Start) {
            sqlite3_stmt* st = key_statement(cur.key, dir, -1);
            if (!st) return driver_failure(db, sqlite3_errcode(db)), false;
            sqlite3_bind_int(st, 1, room);
            return fetch(st, room) >= 0;
        }
        for (int tier = static_cast<int>(n); tier >= 0 && static_cast<int>(cur.count) < room; --tier) {
            sqlite3_stmt* st = key_statement(cur.key, dir, tier);
            if (!st) return driver_failure(db, sqlite3_errcode(db)), false;
            int at = 1;
            for (int i = 0; i < tier; ++i)
                bind_value(st, at++, cur.at[static_cast<std::size_t>(i)]);
            if (tier == static_cast<int>(n)) {
                std::int64_t pos = cur.pos;
                if (cur.mode == Cursor::Mode::Value) pos = dir == 0 ? 0 : std::numeric_limits<std::int64_t>::max();
                sqlite3_bind_int64(st, at++, pos);
            } else {
                bind_value(st, at++, cur.at[static_cast<std::size_t>(tier)]);
            }
            sqlite3_bind_int(st, at, room - static_cast<int>(cur.count));
            if (fetch(st, room - static_cast<int>(cur.count)) < 0) return false;
        }
        return true;
    }

    Status step(int dir) {
        if (!db) return fail(ERR_NOT_OPEN);
        if (cur.key < 0 || cur.mode == Cursor::Mode::None) return fail(ERR_NOT_AVAILABLE);
        const int want = dir == 0 ? 1 : -1;
        if (cur.dir != want || cur.index >= cur.count) {
            if (!refill(dir)) return Status(t_error.code);
        }
        if (cur.index >= cur.count) {
            cur.dir = 0; // the next call asks again
            return fail(ERR_NOT_AVAILABLE);
        }
        take_row(cur.index++);
        return succeed();
    }

    // Any write of this instance: rows read ahead may be stale, the next read seeks again from the position.
    void drop_batch() {
        cur.count = cur.index = 0;
        cur.arena.clear();
        cur.rows.clear();
        cur.dir = 0;
    }

    // ---- writes

    // A transaction that SQLite ended on its own (it rolls back on some I/O and lock failures): what was
    // written in it is gone, so no further write may go into the file as if it were still open.
    bool txn_lost() const { return txn && sqlite3_get_autocommit(db); }

    // Runs body as one write: its own transaction, or a savepoint inside the caller's transaction. On failure
    // it leaves nothing written and the error of the failing step.
    template <class Body> bool transaction(Body body) {
        drop_batch();
        if (txn) {
            if (txn_lost()) return set_error(ERR_DRIVER, {}, "the transaction was rolled back"), false;
            int rc = run(savepoint.get());
            long code = 0;
            if (rc == SQLITE_OK) rc = body(code);
            if (rc == SQLITE_OK && code == 0) rc = run(release.get());
            if (rc == SQLITE_OK && code == 0) return true;
            if (rc != SQLITE_OK)
                driver_failure(db, rc);
            else
                set_error(code);
            if (!sqlite3_get_autocommit(db)) {
                run(undo_write.get());
                run(release.get());
            }
            return false;
        }
        int rc = run(begin.get());
        if (rc != SQLITE_OK) {
            driver_failure(db, rc);
            return false;
        }
        long code = 0;
        rc = body(code);
        if (rc == SQLITE_OK && code == 0) {
            rc = run(commit.get());
            if (rc == SQLITE_OK) return true;
        }
        if (rc != SQLITE_OK)
            driver_failure(db, rc);
        else
            set_error(code);
        run(rollback.get());
        return false;
    }

    int write_blob(std::size_t i, std::int64_t pos, const std::string& data) {
        if (data.empty()) {
            sqlite3_bind_int64(blob_erase[i].get(), 1, pos);
            return run(blob_erase[i].get());
        }
        sqlite3_stmt* st = blob_write[i].get();
        sqlite3_bind_int64(st, 1, pos);
        sqlite3_bind_blob64(st, 2, data.data(), data.size(), SQLITE_STATIC);
        return run(st);
    }
};

// ---------------------------------------------------------------------------------------------------------------

KeyFile::KeyFile(const Table& table, void* record) : impl_(std::make_unique<Impl>(table, record)) {}

KeyFile::~KeyFile() = default;

void KeyFile::bind_name(const char* variable, std::size_t n) {
    impl_->name_var = variable;
    impl_->name_len = n;
}

void KeyFile::set_name(std::string_view cp949) {
    impl_->name_var = nullptr;
    impl_->fixed_name = std::string(cp949);
}

std::string KeyFile::name() const {
    return impl_->file_name();
}

bool KeyFile::is_open() const {
    return impl_->db != nullptr;
}

Status KeyFile::open(int mode) {
    Impl& m = *impl_;
    if (m.db) return fail(ERR_ALREADY_OPEN);
    if (mode != MODE_READ_WRITE_SHARED) {
        char text[64];
        std::snprintf(text, sizeof text, "access mode %02Xh is not implemented", static_cast<unsigned>(mode));
        return fail(ERR_NOT_SUPPORTED, {}, text);
    }
    sqlite3* h = nullptr;
    if (m.connect(utf8_path(m.file_name()), &h) != 0) return failed();
    if (m.check(h) != 0) {
        sqlite3_close_v2(h);
        return failed();
    }
    if (const int rc = Impl::tune(h); rc != SQLITE_OK) {
        driver_failure(h, rc);
        sqlite3_close_v2(h);
        return failed();
    }
    // A file switched to WAL by another program goes back to the rollback journal when nobody else has it open.
    {
        Stmt s;
        if (s.prepare(h, "PRAGMA journal_mode") == SQLITE_OK && sqlite3_step(s.get()) == SQLITE_ROW) {
            const auto* mode_text = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
            if (mode_text && std::strcmp(mode_text, "wal") == 0) {
                sqlite3_reset(s.get());
                exec(h, "PRAGMA journal_mode=DELETE");
            }
        }
    }
    m.db = h;
    if (const int rc = m.prepare_statements(); rc != SQLITE_OK) {
        driver_failure(h, rc);
        m.close_db();
        return failed();
    }
    m.current = 0;
    m.cur = Impl::Cursor();
    for (auto& b : m.blobs)
        b = Impl::BlobSlot();
    return succeed();
}

Status KeyFile::create() {
    Impl& m = *impl_;
    if (m.db) return fail(ERR_ALREADY_OPEN);
    if (!m.schema.valid) return fail(ERR_INVALID_FILE, {}, "the table declaration is inconsistent");
    const std::string path = utf8_path(m.file_name());
    if (path.empty()) return fail(ERR_FILE_NOT_FOUND, {}, "no file name");
    if (path_exists(path)) return fail(ERR_ACCESS_DENIED, {}, "the file already exists");
    if (!folder_exists(parent_of(path))) return fail(ERR_PATH_NOT_FOUND, {}, "the folder does not exist");
    sqlite3* h = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        driver_failure(h, rc);
        if ((rc & 0xFF) == SQLITE_CANTOPEN) t_error.code = ERR_ACCESS_DENIED;
        sqlite3_close_v2(h);
        return failed();
    }
    m.configure(h);
    Impl::tune(h);
    // Another process may have made the file in the meantime: build only into an empty database.
    bool empty = false;
    rc = exec(h, "BEGIN EXCLUSIVE");
    if (rc == SQLITE_OK) {
        Stmt s;
        rc = s.prepare(h, "SELECT count(*) FROM sqlite_schema");
        if (rc == SQLITE_OK && (rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            empty = sqlite3_column_int64(s.get(), 0) == 0;
            rc = SQLITE_OK;
        }
    }
    if (rc == SQLITE_OK && empty) {
        const std::string sql = m.create_sql();
        rc = exec(h, sql);
    }
    if (rc == SQLITE_OK && empty) rc = exec(h, "COMMIT");
    if (rc == SQLITE_OK && empty) {
        sqlite3_close_v2(h);
        return succeed();
    }
    if (rc != SQLITE_OK)
        driver_failure(h, rc);
    else
        set_error(ERR_ACCESS_DENIED, {}, "the file already exists");
    exec(h, "ROLLBACK");
    sqlite3_close_v2(h);
    if (empty) {
        sqlite3_vfs* v = vfs();
        v->xDelete(v, path.c_str(), 0);
    }
    return failed();
}

void KeyFile::close() {
    impl_->close_db();
    impl_->current = 0;
    impl_->cur = Impl::Cursor();
    ok();
}

void KeyFile::clear() {
    std::memcpy(impl_->record, impl_->blank.data(), impl_->blank.size());
    for (auto& b : impl_->blobs) {
        b.loaded = true;
        b.dirty = true;
        b.data.clear();
    }
}

Status KeyFile::add() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    std::int64_t pos = 0;
    const bool done = m.transaction([&](long&) {
        m.bind_record(m.insert.get());
        int rc = run(m.insert.get());
        if (rc != SQLITE_OK) return rc;
        pos = sqlite3_last_insert_rowid(m.db);
        for (std::size_t i = 0; i < m.blobs.size() && rc == SQLITE_OK; ++i) {
            const Impl::BlobSlot& b = m.blobs[i];
            if (b.loaded) {
                if (!b.data.empty()) rc = m.write_blob(i, pos, b.data);
            } else if (b.source) {
                sqlite3_stmt* st = m.blob_copy[i].get();
                sqlite3_bind_int64(st, 1, pos);
                sqlite3_bind_int64(st, 2, b.source);
                rc = run(st);
            }
        }
        return rc;
    });
    if (!done) return failed();
    m.current = pos;
    for (auto& b : m.blobs) {
        b.dirty = false;
        b.source = pos;
    }
    return succeed();
}

Status KeyFile::put() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (!m.current) return fail(ERR_NOT_AVAILABLE);
    const bool done = m.transaction([&](long& code) {
        const int at = m.bind_record(m.update.get());
        sqlite3_bind_int64(m.update.get(), at, m.current);
        int rc = run(m.update.get());
        if (rc != SQLITE_OK) return rc;
        if (sqlite3_changes(m.db) == 0) {
            code = ERR_RECORD_NOT_FOUND;
            return SQLITE_OK;
        }
        for (std::size_t i = 0; i < m.blobs.size() && rc == SQLITE_OK; ++i)
            if (m.blobs[i].dirty) rc = m.write_blob(i, m.current, m.blobs[i].data);
        return rc;
    });
    if (!done) return failed();
    for (auto& b : m.blobs) {
        b.dirty = false;
        b.source = m.current;
    }
    return succeed();
}

Status KeyFile::del() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (!m.current) return fail(ERR_NOT_AVAILABLE);
    const bool done = m.transaction([&](long& code) {
        sqlite3_bind_int64(m.erase.get(), 1, m.current);
        int rc = run(m.erase.get());
        if (rc != SQLITE_OK) return rc;
        if (sqlite3_changes(m.db) == 0) {
            code = ERR_RECORD_NOT_FOUND;
            return SQLITE_OK;
        }
        for (std::size_t i = 0; i < m.blobs.size() && rc == SQLITE_OK; ++i) {
            sqlite3_bind_int64(m.blob_erase[i].get(), 1, m.current);
            rc = run(m.blob_erase[i].get());
        }
        return rc;
    });
    if (!done) return failed();
    m.current = 0;
    for (auto& b : m.blobs) {
        if (!b.loaded) b.data.clear();
        b.loaded = true;
        b.dirty = false;
        b.source = 0;
    }
    return succeed();
}

Status KeyFile::get(Key key) {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (key.index < 0 || static_cast<std::size_t>(key.index) >= m.table.keys.size())
        return fail(ERR_NOT_SUPPORTED, {}, "no such key");
    const std::vector<KeyValue> value = m.buffer_key(key.index);
    const int n = static_cast<int>(value.size());
    // The statement of the tier of equal values in sequential reading, limited to one row and read here
    // directly: the cursor and its batch stay as they are.
    sqlite3_stmt* st = m.key_statement(key.index, 0, n);
    if (!st) return Status(driver_failure(m.db, sqlite3_errcode(m.db)));
    for (int i = 0; i < n; ++i)
        bind_value(st, i + 1, value[static_cast<std::size_t>(i)]);
    sqlite3_bind_int64(st, n + 1, 0);
    sqlite3_bind_int(st, n + 2, 1);
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        m.read_row(st, m.record);
        m.became_current(sqlite3_column_int64(st, 0));
        sqlite3_reset(st);
        return succeed();
    }
    if (rc == SQLITE_DONE)
        set_error(ERR_RECORD_NOT_FOUND);
    else
        driver_failure(m.db, rc);
    sqlite3_reset(st);
    return failed();
}

Status KeyFile::get_at(std::int32_t position) {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    sqlite3_stmt* st = m.select_at.get();
    sqlite3_bind_int64(st, 1, position);
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        m.read_row(st, m.record);
        sqlite3_reset(st);
        m.became_current(position);
        return succeed();
    }
    if (rc == SQLITE_DONE)
        set_error(ERR_RECORD_NOT_FOUND);
    else
        driver_failure(m.db, rc);
    sqlite3_reset(st);
    return failed();
}

Status KeyFile::set(Key key) {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (key.index < 0 || static_cast<std::size_t>(key.index) >= m.table.keys.size())
        return fail(ERR_NOT_SUPPORTED, {}, "no such key");
    m.cur.key = key.index;
    m.cur.mode = Impl::Cursor::Mode::Start;
    m.cur.batch = kMinBatch;
    m.drop_batch();
    return succeed();
}

Status KeyFile::set_from(Key key) {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (key.index < 0 || static_cast<std::size_t>(key.index) >= m.table.keys.size())
        return fail(ERR_NOT_SUPPORTED, {}, "no such key");
    m.cur.key = key.index;
    m.cur.mode = Impl::Cursor::Mode::Value;
    m.cur.at = m.buffer_key(key.index);
    m.cur.batch = kMinBatch;
    m.drop_batch();
    return succeed();
}

Status KeyFile::next() {
    return impl_->step(0);
}

Status KeyFile::previous() {
    return impl_->step(1);
}

std::int32_t KeyFile::records() {
    Impl& m = *impl_;
    if (!m.db) return set_error(ERR_NOT_OPEN), 0;
    sqlite3_stmt* st = m.count.get();
    const int rc = sqlite3_step(st);
    std::int32_t n = 0;
    if (rc == SQLITE_ROW) {
        n = static_cast<std::int32_t>(sqlite3_column_int64(st, 0));
        ok();
    } else {
        driver_failure(m.db, rc);
    }
    sqlite3_reset(st);
    return n;
}

std::int32_t KeyFile::position() const {
    return static_cast<std::int32_t>(impl_->current);
}

Status KeyFile::build() {
    Impl& m = *impl_;
    if (m.txn) return fail(ERR_NOT_SUPPORTED, {}, "the keys cannot be rebuilt inside a transaction");
    if (!m.schema.valid) return fail(ERR_INVALID_FILE, {}, "the table declaration is inconsistent");
    sqlite3* h = m.db;
    bool own = false;
    if (!h) {
        if (m.connect(utf8_path(m.file_name()), &h) != 0) return failed();
        own = true;
    } else {
        m.drop_batch();
        // Statements in progress would keep the file from being replaced; the cached ones are only reset.
        for (sqlite3_stmt* s = sqlite3_next_stmt(h, nullptr); s; s = sqlite3_next_stmt(h, s))
            sqlite3_reset(s);
    }
    const Schema& s = m.schema;
    auto rebuild = [&]() {
        std::string sql = "BEGIN IMMEDIATE;";
        for (const auto& t : s.triggers)
            sql += "DROP TRIGGER IF EXISTS " + quoted(t.first) + ";";
        for (const KeyInfo& k : s.keys)
            sql += "DROP INDEX IF EXISTS " + quoted(k.index) + ";";
        sql += "DROP TABLE IF EXISTS " + quoted(s.keys_table) + ";" + s.keys_sql + ";";
        for (const KeyInfo& k : s.keys)
            sql += k.index_sql + ";";
        for (const auto& t : s.triggers)
            sql += t.second + ";";
        for (std::size_t i = 0; i < s.keys.size(); ++i)
            sql += "INSERT INTO " + quoted(s.keys_table) + " SELECT '" + m.table.keys[i].name + "',count(*) FROM " +
                   s.table + " WHERE " + s.keys[i].cond + ";";
        sql += "COMMIT;";
        const int rc = exec(h, sql);
        if (rc != SQLITE_OK) exec(h, "ROLLBACK");
        return rc;
    };
    // The file must hold the table at all; a file of another kind is not ours to change.
    long code = 0;
    {
        Stmt st;
        int rc = st.prepare(h, "SELECT sql FROM sqlite_schema WHERE name=?");
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(st.get(), 1, s.table_name.c_str(), -1, SQLITE_STATIC);
            rc = sqlite3_step(st.get());
        }
        const auto* sql = rc == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)) : nullptr;
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
            if (!sql || s.table_sql != sql) {
                code = ERR_INVALID_FILE;
                set_error(code, {}, "the file does not hold this table");
            }
        } else {
            code = driver_failure(h, rc);
        }
    }
    if (code == 0) {
        int rc = rebuild();
        // Dropping an index walks its pages; when they are damaged the file is made over from its records.
        if (is_corrupt(rc)) rc = m.copy_into_fresh_file(h, utf8_path(m.file_name()));
        if (rc != SQLITE_OK) code = driver_failure(h, rc);
    }
    if (own) sqlite3_close_v2(h);
    return code == 0 ? succeed() : Status(code);
}

Status KeyFile::begin() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (m.txn) return fail(ERR_NOT_SUPPORTED, {}, "a transaction is already open");
    m.drop_batch();
    if (const int rc = run(m.begin.get()); rc != SQLITE_OK) return Status(driver_failure(m.db, rc));
    m.txn = true;
    return succeed();
}

Status KeyFile::commit() {
    Impl& m = *impl_;
    if (!m.db) return fail(ERR_NOT_OPEN);
    if (!m.txn) return fail(ERR_NOT_AVAILABLE, {}, "no transaction is open");
    m.drop_batch();
    Status result;
    if (m.txn_lost()) {
        result = fail(ERR_DRIVER, {}, "the transaction was rolled back");
    } else if (const int rc = run(m.commit.get()); rc != SQLITE_OK) {
        // Still open (another process reads the file past the busy timeout, or the disk failed): undo it.
        result = Status(driver_failure(m.db, rc));
        if (!sqlite3_get_autocommit(m.db)) run(m.rollback.get());
    } else {
        result = succeed();
    }
    m.txn = false;
    return result;
}

void KeyFile::rollback() {
    Impl& m = *impl_;
    if (!m.db || !m.txn) return;
    m.drop_batch();
    if (!sqlite3_get_autocommit(m.db)) run(m.rollback.get());
    m.txn = false;
}

bool KeyFile::in_transaction() const {
    return impl_->txn;
}

const std::string& KeyFile::blob(Blob b) {
    Impl& m = *impl_;
    static const std::string none;
    if (b.index < 0 || static_cast<std::size_t>(b.index) >= m.blobs.size())
        return set_error(ERR_NOT_SUPPORTED, {}, "no such large field"), none;
    Impl::BlobSlot& slot = m.blobs[static_cast<std::size_t>(b.index)];
    if (!slot.loaded) {
        if (!m.db) return set_error(ERR_NOT_OPEN), none;
        sqlite3_stmt* st = m.blob_read[static_cast<std::size_t>(b.index)].get();
        sqlite3_bind_int64(st, 1, slot.source);
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(st, 0));
            slot.data.assign(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(st, 0)));
        } else if (rc == SQLITE_DONE) {
            slot.data.clear();
        } else {
            driver_failure(m.db, rc);
            sqlite3_reset(st);
            return none;
        }
        sqlite3_reset(st);
        slot.loaded = true;
    }
    ok();
    return slot.data;
}

std::size_t KeyFile::blob_size(Blob b) {
    Impl& m = *impl_;
    if (b.index < 0 || static_cast<std::size_t>(b.index) >= m.blobs.size())
        return set_error(ERR_NOT_SUPPORTED, {}, "no such large field"), 0;
    const Impl::BlobSlot& slot = m.blobs[static_cast<std::size_t>(b.index)];
    if (slot.loaded) return ok(), slot.data.size();
    if (!m.db) return set_error(ERR_NOT_OPEN), 0;
    sqlite3_stmt* st = m.blob_size[static_cast<std::size_t>(b.index)].get();
    sqlite3_bind_int64(st, 1, slot.source);
    const int rc = sqlite3_step(st);
    std::size_t n = 0;
    if (rc == SQLITE_ROW) n = static_cast<std::size_t>(sqlite3_column_int64(st, 0));
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        ok();
    else
        driver_failure(m.db, rc);
    sqlite3_reset(st);
    return n;
}

void KeyFile::set_blob(Blob b, std::string_view bytes) {
    Impl& m = *impl_;
    if (b.index < 0 || static_cast<std::size_t>(b.index) >= m.blobs.size())
        return set_error(ERR_NOT_SUPPORTED, {}, "no such large field");
    Impl::BlobSlot& slot = m.blobs[static_cast<std::size_t>(b.index)];
    slot.data.assign(bytes.data(), bytes.size());
    slot.loaded = true;
    slot.dirty = true;
    ok();
}

std::string KeyFile::send(std::string_view option) {
    Impl& m = *impl_;
    auto trim = [](std::string_view v) {
        while (!v.empty() && v.front() == ' ')
            v.remove_prefix(1);
        while (!v.empty() && v.back() == ' ')
            v.remove_suffix(1);
        return v;
    };
    const std::size_t eq = option.find('=');
    const std::string name = upper(trim(option.substr(0, eq)));
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : trim(option.substr(eq + 1));
    if (name == "RECOVER" && !value.empty() && value.size() <= 6 &&
        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        m.busy_ms = std::stoi(std::string(value)) * 1000;
        if (m.db) sqlite3_busy_timeout(m.db, m.busy_ms);
        ok();
        return std::to_string(m.busy_ms / 1000);
    }
    set_error(ERR_NOT_SUPPORTED, {}, "unknown driver option");
    return {};
}

} // namespace rt
