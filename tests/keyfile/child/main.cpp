// Helper process of the driver tests.
//   keyfile_child lock <file> <ready-file> <release-file> <ms>
//                                                 holds a write lock on the file until the release file
//                                                 appears, and ms milliseconds longer
//   keyfile_child writer <file> <log> <seed>      adds and puts documents until it is killed, logging each one
//                                                 that the driver reported done as "<position> <version>"
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../test_table.h"

namespace {

int hold_lock(const char* file, const char* ready, const char* release, int ms) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return 2;
    if (sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) return 3;
    if (FILE* f = std::fopen(ready, "wb")) std::fclose(f);
    // Until told, then ms longer.
    FILE* told = nullptr;
    while (!(told = std::fopen(release, "rb")))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::fclose(told);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

// Fills the buffer with version `ver` of document `id`; the large fields go with it.
void fill(rt::KeyFile& file, kt::DOC& d, std::int32_t id, std::int32_t ver, std::int32_t len) {
    d.FLAG = static_cast<std::uint8_t>(ver % 7);
    d.GROUP = static_cast<std::int16_t>(id % 50);
    d.DATE = 1000 + ver;
    d.TIME = id;
    d.VER = ver;
    d.LEN = len;
    d.CODE = "ID" + std::to_string(id);
    d.TAG = "v" + std::to_string(ver);
    d.TITLE = rt::to_cp949(u"문서 ") + std::to_string(id) + " v" + std::to_string(ver);
    d.FILES[0] = "f" + std::to_string(ver);
    file.set_blob(kt::DOC::BODY, kt::body_of(id, ver, len));
    file.set_blob(kt::DOC::OBJ, ver % 2 ? std::string() : kt::body_of(ver, id, len / 3));
}

int write_forever(const char* name, const char* log_name, unsigned seed) {
    kt::DOC d;
    rt::KeyFile file(kt::DOCS, &d);
    file.set_name(name);
    if (!file.open()) {
        std::fprintf(stderr, "open: %ld %s\n", rt::error_code(), rt::driver_error_text().c_str());
        return 2;
    }
    std::vector<std::int32_t> positions;
    if (!file.set(kt::DOC::FLAG_KEY)) return 2;
    for (rt::Status st = file.next(); st; st = file.next())
        positions.push_back(file.position());
    FILE* log = std::fopen(log_name, "ab");
    if (!log) return 3;
    std::mt19937 rng(seed);
    for (;;) {
        const auto len = static_cast<std::int32_t>(rng() % 60000);
        if (positions.size() < 50 && rng() % 3 == 0) {
            file.clear();
            fill(file, d, static_cast<std::int32_t>(rng() % 1000000), 1, len);
            if (!file.add()) return 4;
            positions.push_back(file.position());
            std::fprintf(log, "%ld 1\n", static_cast<long>(file.position()));
        } else if (!positions.empty()) {
            if (!file.get_at(positions[rng() % positions.size()])) return 5;
            fill(file, d, d.TIME, d.VER + 1, len);
            if (!file.put()) return 6;
            std::fprintf(log, "%ld %ld\n", static_cast<long>(file.position()), static_cast<long>(d.VER));
        }
        std::fflush(log);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "lock" && argc == 6) return hold_lock(argv[2], argv[3], argv[4], std::atoi(argv[5]));
    if (mode == "writer" && argc == 5)
        return write_forever(argv[2], argv[3], static_cast<unsigned>(std::atoi(argv[4])));
    std::fprintf(stderr, "usage: keyfile_child lock <file> <ready> <release> <ms> | writer <file> <log> <seed>\n");
    return 1;
}
