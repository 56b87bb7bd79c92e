// The compound file around one stream named "Workbook": 512-byte sectors, the stream in sectors 0 to S-1, then
// the directory, the allocation table and, for large streams, its extension sectors; the header goes last.
#include "xl/cfb.h"
#include "xl/bytes.h"

#include <string>

namespace xl {

namespace {

constexpr std::uint32_t FREESECT = 0xFFFFFFFF, ENDOFCHAIN = 0xFFFFFFFE, FATSECT = 0xFFFFFFFD, DIFSECT = 0xFFFFFFFC;
constexpr std::uint32_t NOSTREAM = 0xFFFFFFFF;
constexpr std::uint64_t SECTOR = 512;
constexpr std::uint32_t HEADER_FAT_SLOTS = 109;
constexpr std::uint32_t PER_FAT = SECTOR / 4, PER_DIFAT = SECTOR / 4 - 1;

// One 128-byte directory entry.
std::string entry(std::u16string_view name, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                  std::uint32_t size) {
    std::string e;
    for (const char16_t c : name)
        put16(e, c);
    e.resize(64, '\0');
    put16(e, name.empty() ? 0 : static_cast<std::uint32_t>(name.size() + 1) * 2);
    e += static_cast<char>(type);
    e += static_cast<char>(type == 0 ? 0 : 1); // black
    put32(e, NOSTREAM);                        // left sibling
    put32(e, NOSTREAM);                        // right sibling
    put32(e, child);
    e.append(16 + 4 + 8 + 8, '\0'); // class id, state bits, creation and modification times
    put32(e, start);
    put32(e, size);
    put32(e, 0);
    return e;
}

std::uint32_t ceil_div(std::uint64_t a, std::uint64_t b) {
    return static_cast<std::uint32_t>((a + b - 1) / b);
}

} // namespace

bool finish_compound_file(Output& out, std::uint64_t stream_size) {
    if (!out.ok() || out.tell() != SECTOR + stream_size || stream_size >= 0x7FFFFFFF) return false;
    // Streams under 4096 bytes would belong in the mini stream: the workbook is padded up to that size instead.
    std::uint64_t size = stream_size;
    if (size < 4096) {
        out.write(std::string(static_cast<std::size_t>(4096 - size), '\0'));
        size = 4096;
    }
    if (size % SECTOR) out.write(std::string(static_cast<std::size_t>(SECTOR - size % SECTOR), '\0'));
    const std::uint32_t stream_sectors = ceil_div(size, SECTOR);
    const std::uint32_t dir = stream_sectors;
    std::uint32_t fat = 0, difat = 0;
    for (;;) {
        const std::uint32_t total = stream_sectors + 1 + fat + difat;
        const std::uint32_t f = ceil_div(total, PER_FAT);
        const std::uint32_t d = f > HEADER_FAT_SLOTS ? ceil_div(f - HEADER_FAT_SLOTS, PER_DIFAT) : 0;
        if (f == fat && d == difat) break;
        fat = f;
        difat = d;
    }
    const std::uint32_t fat_first = dir + 1, difat_first = fat_first + fat, total = difat_first + difat;

    std::string sector;
    sector += entry(u"Root Entry", 5, 1, ENDOFCHAIN, 0);
    sector += entry(u"Workbook", 2, NOSTREAM, 0, static_cast<std::uint32_t>(size));
    sector += entry(u"", 0, NOSTREAM, 0, 0);
    sector += entry(u"", 0, NOSTREAM, 0, 0);
    out.write(sector);

    for (std::uint32_t s = 0; s < fat * PER_FAT; ++s) {
        std::uint32_t v = FREESECT;
        if (s + 1 < stream_sectors)
            v = s + 1;
        else if (s + 1 == stream_sectors || s == dir)
            v = ENDOFCHAIN;
        else if (s >= fat_first && s < difat_first)
            v = FATSECT;
        else if (s >= difat_first && s < total)
            v = DIFSECT;
        if (s % PER_FAT == 0) sector.clear();
        put32(sector, v);
        if (s % PER_FAT == PER_FAT - 1) out.write(sector);
    }
    // The allocation table's sectors beyond the first 109 are listed in the extension sectors, chained.
    for (std::uint32_t d = 0; d < difat; ++d) {
        sector.clear();
        for (std::uint32_t i = 0; i < PER_DIFAT; ++i) {
            const std::uint32_t n = HEADER_FAT_SLOTS + d * PER_DIFAT + i;
            put32(sector, n < fat ? fat_first + n : FREESECT);
        }
        put32(sector, d + 1 < difat ? difat_first + d + 1 : ENDOFCHAIN);
        out.write(sector);
    }

    std::string header("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    header.append(16, '\0'); // class id
    put16(header, 0x003E);   // minor version
    put16(header, 0x0003);   // major version: 512-byte sectors
    put16(header, 0xFFFE);   // little-endian
    put16(header, 9);        // sector shift
    put16(header, 6);        // mini sector shift
    header.append(6, '\0');
    put32(header, 0); // directory sectors (0 in version 3)
    put32(header, fat);
    put32(header, dir);
    put32(header, 0);    // transaction signature
    put32(header, 4096); // mini stream cutoff
    put32(header, ENDOFCHAIN);
    put32(header, 0);
    put32(header, difat ? difat_first : ENDOFCHAIN);
    put32(header, difat);
    for (std::uint32_t i = 0; i < HEADER_FAT_SLOTS; ++i)
        put32(header, i < fat ? fat_first + i : FREESECT);
    out.patch(0, header.data(), header.size());
    return out.ok();
}

} // namespace xl
