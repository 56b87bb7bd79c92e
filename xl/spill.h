// Files of the writer: temporary files that hold rows and texts until the save, and the output file, which is
// written beside its final name and takes that name only when it is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace xl {

// A temporary file, removed when closed: bytes appended, then read back from the start. Opened on first write.
class Spill {
public:
    Spill() = default;
    ~Spill();
    Spill(const Spill&) = delete;
    Spill& operator=(const Spill&) = delete;

    bool write(const void* data, std::size_t size);
    bool write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
    // Overwrites bytes already written at an offset; the next write appends again.
    bool patch(std::uint64_t offset, const void* data, std::size_t size);
    // Back to the start for reading (also when nothing was written).
    bool rewind();
    // Reads up to size bytes; fewer at the end.
    std::size_t read(void* data, std::size_t size);
    std::uint64_t size() const { return size_; }
    bool failed() const { return failed_; }

private:
    bool open();
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
    bool failed_ = false;
    bool reading_ = false;
};

// The file being saved: written as "<name>.~tmp" in the same folder and put in place of the name by commit().
// Every failure sticks: ok() stays false and commit() answers false; a file not committed is removed.
class Output {
public:
    explicit Output(std::string_view cp949_path);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool ok() const { return file_ && !failed_; }
    void write(const void* data, std::size_t size);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
    // Copies a spill's bytes from its start.
    void write(Spill& spill);
    std::uint64_t tell() const { return pos_; }
    // Writes at an earlier offset, then goes on at the end.
    void patch(std::uint64_t offset, const void* data, std::size_t size);
    // Flushes, closes and renames the file; false when anything failed on the way.
    bool commit();

private:
    std::FILE* file_ = nullptr;
    std::string path_, temp_; // CP949 on Windows (converted when opened), bytes elsewhere
    std::uint64_t pos_ = 0;
    bool failed_ = false;
};

} // namespace xl
