// Keyed data files: a table declared once (fields at byte positions of a record struct, keys, large fields)
// and stored as one SQLite database per file. The record buffer is the caller's struct; the driver reads and
// writes it through the field descriptors, so it works on raw record bytes and knows no table of its own.
//
// Every operation answers a Status that the caller must look at, and leaves the same error code with its texts
// (error_code() and friends, per thread) for the message that reports it. The queues share that error state.
//
// Each write is one transaction of its own unless the file is inside a Transaction (below), which makes several
// writes one: all of them are in the file after its commit, or none of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// Error codes of the data layer (files and queues).
enum : long {
    ERR_FILE_NOT_FOUND = 2,
    ERR_PATH_NOT_FOUND = 3,
    ERR_ACCESS_DENIED = 5,
    ERR_ENTRY_NOT_FOUND = 30,  // queue: no such row
    ERR_LOCKED = 32,           // another process holds a lock the busy timeout did not outlast
    ERR_NOT_AVAILABLE = 33,    // no record there: past the end of a key, or no current record
    ERR_RECORD_NOT_FOUND = 35, // no record with that key value or position
    ERR_NOT_OPEN = 37,         // the operation needs an open file
    ERR_KEYS_DAMAGED = 46,     // the keys must be rebuilt (build())
    ERR_INVALID_FILE = 47,     // not a file of this table: not SQLite, or another layout
    ERR_ALREADY_OPEN = 52,     // open() on an open file; the file stays open
    ERR_NOT_SUPPORTED = 80,    // an access mode or option the driver does not implement
    ERR_DRIVER = 90,           // SQLite failed: driver_error_code() and driver_error_text() say how
    ERR_DRIVER_OWN = 100,      // a driver's own error, told by its code and text as for ERR_DRIVER
};

// The last data-layer error of this thread: 0 after a successful operation.
long error_code();
// Its standard text ("Record Not Found" and the like), empty for 0.
std::string error_text();
// SQLite's own code (extended result code, decimal) and message for the last error, also for 32, 46 and 47
// when SQLite reported them; empty when the error did not come from SQLite.
std::string driver_error_code();
std::string driver_error_text();
// Sets this thread's error; the queues report through it too.
void set_error(long code, std::string driver_code = {}, std::string driver_text = {});

// The answer of a driver operation: 0 when it succeeded, otherwise its error code (error_code() holds the same
// code with the texts). A caller cannot drop it unread.
class [[nodiscard]] Status {
public:
    constexpr Status() = default;
    constexpr explicit Status(long code) : code_(code) {}
    constexpr bool ok() const { return code_ == 0; }
    constexpr explicit operator bool() const { return code_ == 0; }
    constexpr long code() const { return code_; }
    // Sequential reading ran past the end of its key: the scan is complete. Any other failure is an error.
    constexpr bool end() const { return code_ == ERR_NOT_AVAILABLE; }

private:
    long code_ = 0;
};

// Field types of records and queue rows. Text is a blank-padded CP949 field (Fixed<N>).
enum class FieldType : std::uint8_t { Byte, Short, Long, Text };

// One field of a record: its name (upper case, without prefix), type, byte position, size of one slot and
// number of slots (an array field such as ten file names has 10).
struct Field {
    const char* name;
    FieldType type;
    std::size_t offset;
    std::size_t size;
    std::size_t slots = 1;
};

// The value of a number field (Byte, Short, Long) of a row; 0 for a text field.
std::int64_t field_number(const Field& f, const void* row);

// A key component: a field (index into Table::fields, not an array field) and its direction.
struct KeyPart {
    std::size_t field;
    bool descending = false;
};

// A key. Duplicates are always allowed; equal values come in the order the records were added.
struct KeyDecl {
    const char* name; // e.g. "NODE_KEY"
    std::vector<KeyPart> parts;
    bool nocase = true;   // text compares with ASCII letters folded to upper case
    bool optional = true; // a record whose key fields are all zero or blank is not in the key
};

// Handles of a table's keys and large fields, by their place in the declaration.
struct Key {
    int index;
};
struct Blob {
    int index;
};

// A table: its name (SQLite names are derived from it in lower case), record size, fields, keys and large
// fields (variable-length bytes kept outside the record).
struct Table {
    const char* name;
    std::size_t record_size;
    std::vector<Field> fields;
    std::vector<KeyDecl> keys;
    std::vector<const char*> blobs;
};

// Access modes: low nibble access (2 read/write), high nibble sharing (40h deny none).
constexpr int MODE_READ_WRITE_SHARED = 0x42;

// One open instance of a table over one record buffer: its file name, connection, current record, the
// position of sequential reading and the large-field buffers. Not shared between threads.
class KeyFile {
public:
    // `record` is the caller's record buffer of table.record_size bytes; both must outlive this object.
    KeyFile(const Table& table, void* record);
    ~KeyFile();
    KeyFile(const KeyFile&) = delete;
    KeyFile& operator=(const KeyFile&) = delete;

    // The file name is read at every open, create and build from a blank-padded CP949 variable of n bytes.
    void bind_name(const char* variable, std::size_t n);
    // Or a fixed name (CP949).
    void set_name(std::string_view cp949);
    // The name that the next open would use, without trailing blanks.
    std::string name() const;

    // Opens the file. Only MODE_READ_WRITE_SHARED is implemented; other modes give ERR_NOT_SUPPORTED.
    Status open(int mode = MODE_READ_WRITE_SHARED);
    // Creates the file empty with its keys and leaves it closed. An existing file is never replaced:
    // creating over it fails with ERR_ACCESS_DENIED.
    Status create();
    // Closes the file; a transaction still open is rolled back.
    void close();
    bool is_open() const;

    // Blanks the record buffer (numbers 0, texts blank) and empties the large fields.
    void clear();

    // Adds the buffer as a new record, with the large fields; it becomes the current record.
    Status add();
    // Writes the buffer back to the current record, and the large fields that were set since it was read.
    Status put();
    // Deletes the current record and its large fields.
    Status del();

    // A transaction over several writes (Transaction below wraps these). begin() takes the write lock, waiting
    // up to the busy timeout for other processes (ERR_LOCKED when they hold it longer). Until commit() other
    // processes read the file as it was; reads of this instance see its writes. A write that fails inside the
    // transaction leaves nothing of itself, and the caller decides: roll back, or go on. commit() makes all the
    // writes durable at once; when it fails, everything is rolled back. rollback() undoes every write since
    // begin(). One transaction at a time per instance: begin() inside one gives ERR_NOT_SUPPORTED.
    Status begin();
    Status commit();
    void rollback();
    bool in_transaction() const;

    // Reads the first record (in key order) whose key equals the buffer's key fields. The position of
    // sequential reading stays where it was.
    Status get(Key key);
    // Reads the record at a position (see position()).
    Status get_at(std::int32_t position);

    // Positions sequential reading before the first record of a key (next() reads the first, previous() the
    // last).
    Status set(Key key);
    // Positions sequential reading at the buffer's key value: next() reads the first record whose key is at or
    // after it, previous() the last record at or before it.
    Status set_from(Key key);
    // Read the next or previous record of the key set last; ERR_NOT_AVAILABLE (Status::end()) past either end,
    // any other code is an error that stopped the scan.
    Status next();
    Status previous();

    // Number of records in the file, whether in any key or not.
    std::int32_t records();
    // Position of the current record, stable for the record's life; 0 when there is none.
    std::int32_t position() const;

    // Rebuilds the keys. Works on the open file, or opens the named file for the time it takes.
    Status build();

    // A large field of the current record (read when first asked for), or what was set since.
    const std::string& blob(Blob b);
    std::size_t blob_size(Blob b);
    // Sets a large field in the buffer; add() and put() store it.
    void set_blob(Blob b, std::string_view bytes);

    // Driver options. "Recover=N": wait up to N seconds for a lock held by another process (this open and
    // later ones). Answers the value now in effect.
    std::string send(std::string_view option);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Several writes of one file as one transaction, rolled back unless committed:
//
//     rt::Transaction t(file);               // begin(): check t.status() before writing
//     if (!t.status()) return report();
//     if (!file.put()) return report();      // leaving the scope rolls back every write made so far
//     if (!file.add()) return report();
//     if (!t.commit()) return report();      // all written, or (on failure) nothing
//
// The error state after a failed write or commit is that of the failure, not of the rollback.
class Transaction {
public:
    explicit Transaction(KeyFile& file) : file_(file), status_(file.begin()), open_(status_.ok()) {}
    ~Transaction() {
        if (open_) file_.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // How begin() went.
    Status status() const { return status_; }
    // Commits; after a failure nothing of the transaction is in the file.
    Status commit() {
        if (!open_) return status_;
        open_ = false;
        return file_.commit();
    }

private:
    KeyFile& file_;
    Status status_;
    bool open_;
};

} // namespace rt
