// Zip archive writer: local headers patched with the sizes and checksum once an entry is done.
#include "xl/zip.h"
#include "xl/bytes.h"

#include <zlib.h>

namespace xl {

namespace {

constexpr std::uint32_t DOS_TIME = 0, DOS_DATE = (1 << 5) | 1; // 1980-01-01 00:00

} // namespace

struct Zip::Stream {
    z_stream z{};
    bool ready = false;
    unsigned char buf[1 << 16];
    Stream() { ready = deflateInit2(&z, DEFLATE_LEVEL, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~Stream() {
        if (ready) deflateEnd(&z);
    }
};

Zip::Zip(Output& out) : out_(out), z_(std::make_unique<Stream>()) {
    failed_ = !z_->ready;
}
Zip::~Zip() = default;

void Zip::begin(std::string name) {
    Entry e;
    e.name = std::move(name);
    e.offset = out_.tell();
    std::string h;
    put32(h, 0x04034b50);
    put16(h, 20); // version needed
    put16(h, 0);
    put16(h, 8); // deflated
    put16(h, DOS_TIME);
    put16(h, DOS_DATE);
    put32(h, 0); // checksum and sizes: set by end()
    put32(h, 0);
    put32(h, 0);
    put16(h, static_cast<std::uint32_t>(e.name.size()));
    put16(h, 0);
    h += e.name;
    out_.write(h);
    entries_.push_back(std::move(e));
    compressed_ = size_ = 0;
    if (!failed_ && deflateReset(&z_->z) != Z_OK) failed_ = true;
}

// Deflates the pending input, writing out every full buffer.
void Zip::deflate_some() {
    z_stream& z = z_->z;
    do {
        z.next_out = z_->buf;
        z.avail_out = sizeof z_->buf;
        const int r = deflate(&z, Z_NO_FLUSH);
        if (r == Z_STREAM_ERROR) {
            failed_ = true;
            return;
        }
        const std::size_t n = sizeof z_->buf - z.avail_out;
        out_.write(z_->buf, n);
        compressed_ += n;
    } while (z.avail_out == 0);
}

void Zip::add(std::string_view data) {
    if (failed_ || data.empty()) return;
    Entry& e = entries_.back();
    e.crc = static_cast<std::uint32_t>(
        crc32(e.crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    size_ += data.size();
    z_->z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z_->z.avail_in = static_cast<uInt>(data.size());
    deflate_some();
}

void Zip::end() {
    if (failed_) return;
    z_->z.next_in = nullptr;
    z_->z.avail_in = 0;
    for (;;) {
        z_->z.next_out = z_->buf;
        z_->z.avail_out = sizeof z_->buf;
        const int r = deflate(&z_->z, Z_FINISH);
        const std::size_t n = sizeof z_->buf - z_->z.avail_out;
        out_.write(z_->buf, n);
        compressed_ += n;
        if (r == Z_STREAM_END) break;
        if (r != Z_OK && r != Z_BUF_ERROR) {
            failed_ = true;
            return;
        }
    }
    if (compressed_ > 0xFFFFFFFFu || size_ > 0xFFFFFFFFu) {
        failed_ = true; // too large for an archive without the 64-bit extension
        return;
    }
    Entry& e = entries_.back();
    e.compressed = static_cast<std::uint32_t>(compressed_);
    e.size = static_cast<std::uint32_t>(size_);
    std::string s;
    put32(s, e.crc);
    put32(s, e.compressed);
    put32(s, e.size);
    out_.patch(e.offset + 14, s.data(), s.size());
}

bool Zip::finish() {
    if (failed_) return false;
    const std::uint64_t start = out_.tell();
    std::string cd;
    for (const Entry& e : entries_) {
        put32(cd, 0x02014b50);
        put16(cd, 20); // made by
        put16(cd, 20); // needed
        put16(cd, 0);
        put16(cd, 8);
        put16(cd, DOS_TIME);
        put16(cd, DOS_DATE);
        put32(cd, e.crc);
        put32(cd, e.compressed);
        put32(cd, e.size);
        put16(cd, static_cast<std::uint32_t>(e.name.size()));
        put16(cd, 0); // extra
        put16(cd, 0); // comment
        put16(cd, 0); // disk
        put16(cd, 0); // internal attributes
        put32(cd, 0); // external attributes
        put32(cd, static_cast<std::uint32_t>(e.offset));
        cd += e.name;
    }
    const std::uint64_t end = start + cd.size();
    if (end > 0xFFFFFFFFu) return false;
    put32(cd, 0x06054b50);
    put16(cd, 0);
    put16(cd, 0);
    put16(cd, static_cast<std::uint32_t>(entries_.size()));
    put16(cd, static_cast<std::uint32_t>(entries_.size()));
    put32(cd, static_cast<std::uint32_t>(end - start));
    put32(cd, static_cast<std::uint32_t>(start));
    put16(cd, 0);
    out_.write(cd);
    return out_.ok();
}

} // namespace xl
