// A writer killed at random moments, again and again: after each kill the file opens, its keys check clean,
// every record is whole (one of its versions, large fields included) and every write reported done is there.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "process.h"
#include "runtime/keyfile.h"
#include "test_table.h"

namespace {

using kt::DOC;

std::string err() {
    return "error " + std::to_string(rt::error_code()) + " " + rt::error_text() + " / driver " +
           rt::driver_error_code() + " " + rt::driver_error_text();
}

std::uintmax_t size_of(const std::string& path) {
    std::error_code ec;
    const auto n = std::filesystem::file_size(path, ec);
    return ec ? 0 : n;
}

// Checks one record against what the writer makes of its id and version.
std::string whole(rt::KeyFile& f, const DOC& d) {
    const std::int32_t id = d.TIME, ver = d.VER;
    if (d.FLAG != ver % 7 || d.GROUP != id % 50 || d.DATE != 1000 + ver) return "numbers";
    if (d.CODE.clip() != "ID" + std::to_string(id) || d.TAG.clip() != "v" + std::to_string(ver)) return "texts";
    if (d.TITLE.clip() != rt::to_cp949(u"문서 ") + std::to_string(id) + " v" + std::to_string(ver)) return "title";
    if (d.FILES[0].clip() != "f" + std::to_string(ver)) return "files";
    if (f.blob(DOC::BODY) != kt::body_of(id, ver, d.LEN)) return "body";
    if (f.blob(DOC::OBJ) != (ver % 2 ? std::string() : kt::body_of(ver, id, d.LEN / 3))) return "object";
    return "";
}

TEST(KeyFileCrash, KilledWriterLeavesWholeRecords) {
    const std::string dir = kt::temp_folder("crash");
    const std::string path = dir + "crash.VL1", log = dir + "done.log";
    DOC d;
    rt::KeyFile f(kt::DOCS, &d);
    f.set_name(path);
    ASSERT_EQ(f.create().code(), 0) << err();
    std::mt19937 rng(20240611);
    int hot = 0, runs = 0;
    std::map<std::int32_t, std::int32_t> state; // position -> version after the last round
    for (int round = 0; round < 200; ++round) {
        const std::uintmax_t before = size_of(log);
        kt::Process child = kt::spawn("keyfile_child", {"writer", path, log, std::to_string(round)});
        ASSERT_NE(child.handle, 0);
        // Once the child has written something, kill it a moment later, wherever it is.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (size_of(log) == before && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 30000));
        kt::kill(child);
        kt::wait(child);
        ++runs;
        hot += std::filesystem::exists(path + "-journal");

        ASSERT_EQ(f.open().code(), 0) << "round " << round << ": " << err();
        // Every record whole, every key holding what its records say.
        std::map<std::int32_t, std::int32_t> version;
        EXPECT_EQ(f.set(DOC::FLAG_KEY).code(), 0);
        for (rt::Status st = f.next(); st; st = f.next()) {
            version[f.position()] = d.VER;
            const std::string bad = whole(f, d);
            ASSERT_EQ(bad, "") << "round " << round << ", record " << f.position() << " version " << d.VER;
        }
        ASSERT_EQ(static_cast<std::int32_t>(version.size()), f.records());
        std::size_t in_date = 0;
        EXPECT_EQ(f.set(DOC::DATE_KEY).code(), 0);
        for (rt::Status st = f.next(); st; st = f.next())
            ++in_date;
        ASSERT_EQ(in_date, version.size());
        // The writes reported done in this round are there, and at most one more: the write in flight when the
        // writer died, which made one record its next version or added one.
        std::ifstream in(log, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(before));
        long pos, ver;
        std::map<std::int32_t, std::int32_t> expected = state;
        while (in >> pos >> ver)
            expected[static_cast<std::int32_t>(pos)] = static_cast<std::int32_t>(ver);
        int extra = 0;
        for (const auto& [p, v] : expected) {
            ASSERT_TRUE(version.count(p)) << "round " << round << ": record " << p << " was reported added";
            ASSERT_TRUE(version[p] == v || version[p] == v + 1)
                << "round " << round << ": record " << p << " has version " << version[p] << ", logged " << v;
            extra += version[p] != v;
        }
        for (const auto& [p, v] : version)
            if (!expected.count(p)) {
                ASSERT_EQ(v, 1) << "round " << round << ": record " << p << " appeared with version " << v;
                ++extra;
            }
        ASSERT_LE(extra, 1) << "round " << round;
        state = version;
        f.close();
        if (round % 50 == 49) {
            ASSERT_EQ(kt::integrity(path), "ok") << "round " << round;
        }
    }
    EXPECT_EQ(kt::integrity(path), "ok");
    std::printf("[ crash    ] %d kills, %d left a hot journal behind\n", runs, hot);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

} // namespace
