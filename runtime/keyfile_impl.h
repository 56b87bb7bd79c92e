// The keyed-file driver's own parts, shared by its source files: the error state, the CP949 codec of the text
// columns, the schema derived from a table declaration, SQLite helpers, the row codec and the instance state.
// Not for callers of the driver (runtime/keyfile.h is theirs).
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/keyfile.h"

namespace rt::kf {

// ---- error state (keyfile_error.cpp)

// This thread's error: success, and success answered as a Status.
void ok();
Status succeed();
// The failure that the error state already holds.
Status failed();
// A failure: sets the error state and answers it.
Status fail(long code, std::string driver_code = {}, std::string driver_text = {});
// Remembers SQLite's code and message for `rc` on db and maps it to a data-layer code.
long driver_failure(sqlite3* db, int rc, long fallback = ERR_DRIVER);
// Sets only the code, keeping SQLite's code and message.
void set_code(long code);

// ---- text columns (keyfile_codec.cpp)

// UTF-8 for CP949 bytes; false when some byte sequence does not convert both ways (or is a NUL).
bool cp949_to_utf8(std::string_view in, std::string& out);
// CP949 for UTF-8; what CP949 lacks, and bad UTF-8, becomes '?'.
void utf8_to_cp949(std::string_view in, std::string& out);
// File names are CP949; SQLite takes UTF-8 (and on Windows turns it into UTF-16 itself).
std::string utf8_path(std::string_view cp949);

// ---- schema (keyfile_schema.cpp)

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

Schema make_schema(const Table& t);
std::string quoted(const std::string& name);

// ---- SQLite helpers (keyfile_sqlite.cpp)

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
int run(sqlite3_stmt* s);
int exec(sqlite3* db, const std::string& sql);
sqlite3_vfs* vfs();
bool path_exists(const std::string& utf8);
// Windows' EXISTS test takes a folder (size 0) for missing; its READ test takes it as it is.
bool folder_exists(const std::string& utf8);
// The folder part of a path ("." for a bare name).
std::string parent_of(const std::string& utf8);
bool is_corrupt(int rc);

// ---- rows (keyfile_row.cpp)

std::int64_t read_number(const char* p, FieldType type);
void write_number(char* p, FieldType type, std::int64_t value);

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

void bind_value(sqlite3_stmt* s, int at, const KeyValue& v);

constexpr int kMinBatch = 16;
constexpr int kMaxBatch = 4096;
constexpr int kDefaultBusyMs = 1000;

} // namespace rt::kf

namespace rt {

using namespace kf;

// One open instance: the declared table and record buffer, the connection with its prepared statements, the
// current record, sequential reading and the large-field buffers. Its members are defined by seam: connection
// (keyfile_open.cpp), row codec (keyfile_row.cpp), sequential reading (keyfile_cursor.cpp), writes
// (keyfile_write.cpp).
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

    Stmt begin, begin_read, commit, rollback, savepoint, release, undo_write, insert, update, erase, select_at, count;
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

    std::string file_name() const;

    // The statements that make an empty file of this table.
    std::string create_sql() const;

    // Makes the file over again from its records when an index cannot even be dropped: the records go into a
    // fresh file beside it (row by row, so that the new indexes are built from them and no old index page is
    // read), which then replaces the file's contents in one journaled transaction.
    int copy_into_fresh_file(sqlite3* h, const std::string& path) const;

    // ---- connection

    void finalize_all();

    void close_db();

    // Settings of every connection that need no access to the file.
    void configure(sqlite3* h) const;

    // Settings that read the schema: made once it is known that the file can be read.
    static int tune(sqlite3* h);

    // Opens a connection to an existing file; 0 or the data-layer code (error state set).
    long connect(const std::string& path, sqlite3** out) const;

    // Checks that the file holds this table with intact keys: 0, ERR_INVALID_FILE, ERR_KEYS_DAMAGED or another
    // code (error state set).
    long check(sqlite3* h) const;

    long check_in_transaction(sqlite3* h) const;

    int prepare_statements();

    // ---- record buffer <-> statement

    // Binds the buffer's fields (and key columns) from parameter 1 on; answers the next parameter number.
    int bind_record(sqlite3_stmt* st);

    static Cell cell_of(sqlite3_stmt* st, int i, bool text);

    // The cells of a row from column 1 on: the data columns, then (key >= 0) that key's columns.
    void cells_of(sqlite3_stmt* st, int key, std::vector<Cell>& out) const;

    // Fills a record image from the cells of the data columns.
    void decode_row(const Cell* cells, char* image);

    // Fills a record image from a row whose columns are those of select_cols (column 0 the position).
    void read_row(sqlite3_stmt* st, char* image);

    // Appends a row (its position and cells) to the batch.
    void keep_row(std::int64_t pos, const std::vector<Cell>& row);

    // The position and cells of batch row i.
    std::int64_t row_cells(std::size_t i, std::vector<Cell>& out) const;

    // The column value of a text field into text_buf: UTF-8 without trailing blanks, its slots one per line
    // (trailing empty lines dropped), when every slot converts both ways (true); otherwise the field's bytes,
    // without trailing blanks for a single slot (false).
    bool encode_text(const Column& c, const char* p);

    // A TEXT column value into a blank field: one line per slot, each cut to the slot at a character boundary.
    void decode_text(const Column& c, std::string_view v, char* p);

    // The key value of the buffer.
    std::vector<KeyValue> buffer_key(int key) const;

    // After a record was read into the buffer (or added): it is current and its large fields are its own.
    void became_current(std::int64_t pos);

    // Steps a statement bound to answer at most one row of select_cols: the row into the buffer as the current
    // record, or error 35 when there is none; the statement is reset after.
    Status read_one(sqlite3_stmt* st);

    // ---- sequential reading

    sqlite3_stmt* key_statement(int key, int dir, int tier);

    // Appends the rows of a statement to the batch, at most `room`; answers the number read or -1 on failure.
    int fetch(sqlite3_stmt* st, int room);

    // Row i of the batch into the record buffer; it becomes the current record and the reading position.
    void take_row(std::size_t i);

    // Reads the next batch in direction dir (0 forward, 1 backward) from the cursor's position, in one read
    // transaction (each costs lock calls, which under Wine are server round trips).
    bool refill(int dir);

    bool refill_batch(int dir);

    Status start_reading(Key key, Cursor::Mode mode);
    Status step(int dir);

    // Any write of this instance: rows read ahead may be stale, the next read seeks again from the position.
    void drop_batch();

    // ---- writes

    // A transaction that SQLite ended on its own (it rolls back on some I/O and lock failures): what was
    // written in it is gone, so no further write may go into the file as if it were still open.
    bool txn_lost() const { return txn && sqlite3_get_autocommit(db); }

    // Runs body as one write: its own transaction, or a savepoint inside the caller's transaction. On failure
    // it leaves nothing written and the error of the failing step.
    template <class Body> bool transaction(Body body);

    int write_blob(std::size_t i, std::int64_t pos, const std::string& data);

    // After a statement of a transaction's body that changes the current record's row: true when it did; a row
    // gone meanwhile (deleted by another instance) sets the body's `code` to 35 instead.
    bool row_changed(long& code) const;
};

} // namespace rt
