// Per-thread objects: one per thread, each destroyed exactly once when its thread ends, newest first.
#include "runtime/perthread.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

std::mutex g_mutex;
std::vector<std::string> g_log;

void log(std::string line) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_log.push_back(std::move(line));
}

struct Named {
    std::string name;
    explicit Named(std::string n) : name(std::move(n)) {}
    ~Named() { log("~" + name); }
};

thread_local Named& first = rt::per_thread<Named>(std::string(40, 'a'));

TEST(PerThread, EachThreadGetsItsOwnObjectDestroyedOnceAtItsEnd) {
    g_log.clear();
    Named* main_object = &first;
    for (int round = 0; round < 3; ++round) {
        std::thread([&] {
            EXPECT_NE(&first, main_object);
            first.name = "t" + std::to_string(round);
            Named& second = rt::per_thread<Named>("s" + std::to_string(round));
            (void)second;
        }).join();
    }
    // The newest object of a thread goes first; nothing is destroyed twice or left alive.
    EXPECT_EQ(g_log, (std::vector<std::string>{"~s0", "~t0", "~s1", "~t1", "~s2", "~t2"}));
    EXPECT_EQ(first.name, std::string(40, 'a'));
}

} // namespace
