// A zip archive written entry by entry, each entry deflated with zlib while it is written.
#pragma once

#include "xl/spill.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xl {

// zlib's default level: workbooks are mailed, so their size counts more than the last tenth of a second.
constexpr int DEFLATE_LEVEL = 6;

class Zip {
public:
    explicit Zip(Output& out);
    ~Zip();
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;

    // Starts an entry; its data follows in any number of add() calls, then end().
    void begin(std::string name);
    void add(std::string_view data);
    void end();
    // One whole entry.
    void entry(std::string name, std::string_view data) {
        begin(std::move(name));
        add(data);
        end();
    }
    // Writes the central directory; false when anything failed.
    bool finish();

private:
    void deflate_some();

    struct Entry {
        std::string name;
        std::uint32_t crc = 0, compressed = 0, size = 0;
        std::uint64_t offset = 0;
    };
    struct Stream;
    Output& out_;
    std::unique_ptr<Stream> z_;
    std::vector<Entry> entries_;
    std::uint64_t compressed_ = 0, size_ = 0;
    bool failed_ = false;
};

} // namespace xl
