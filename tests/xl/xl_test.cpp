// The writer's own answers: saves that fail leave the earlier file as it was, and the calls it refuses.
#include "xl/xl.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A folder of its own for each test, emptied first.
fs::path folder(const char* name) {
    const fs::path dir = fs::current_path() / "xl-test" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

struct Book {
    BookHandle h;
    SheetHandle sheet;
    explicit Book(bool xml)
        : h(xml ? xlCreateXMLBookCA() : xlCreateBookCA()), sheet(xlBookAddSheetA(h, "s", nullptr)) {}
    ~Book() { xlBookReleaseA(h); }
};

TEST(Save, AFailedSaveAnswersFalseAndLeavesTheEarlierFile) {
    const fs::path dir = folder("save");
    const fs::path taken = dir / "taken.xls";
    { std::ofstream(taken, std::ios::binary) << "earlier"; }
    fs::create_directories(dir / "folder.xlsx");
    std::vector<fs::path> targets{dir / "missing" / "x.xls", dir / "folder.xlsx"};
#ifdef _WIN32
    // Another program holds the file open without sharing it.
    HANDLE held = CreateFileW(taken.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    targets.push_back(taken);
#endif
    for (const bool xml : {false, true}) {
        for (const fs::path& target : targets) {
            Book b(xml);
            ASSERT_TRUE(xlSheetWriteStrA(b.sheet, 0, 0, "text", nullptr));
            EXPECT_EQ(xlBookSaveA(b.h, target.string().c_str()), 0) << target << " xml " << xml;
        }
    }
#ifdef _WIN32
    CloseHandle(held);
#endif
    EXPECT_EQ(read_file(taken), "earlier");
    EXPECT_TRUE(fs::is_directory(dir / "folder.xlsx"));
    // Nothing is left beside them.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 2u);

    // The same book saves once the way is clear, again and again.
    Book b(true);
    ASSERT_TRUE(xlSheetWriteNumA(b.sheet, 0, 0, 1, nullptr));
    EXPECT_EQ(xlBookSaveA(b.h, taken.string().c_str()), 1);
    EXPECT_EQ(read_file(taken).substr(0, 2), "PK");
    EXPECT_EQ(xlBookSaveA(b.h, taken.string().c_str()), 1);
}

TEST(Calls, RefusedOnesAnswerZero) {
    Book b(false), other(false);
    FormatHandle mine = xlBookAddFormatA(b.h, nullptr), theirs = xlBookAddFormatA(other.h, nullptr);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(xlBookAddSheetA(b.h, "s", nullptr), nullptr) << "a second sheet of one name";
    EXPECT_EQ(xlBookAddSheetA(b.h, "t", b.sheet), nullptr) << "sheets are not copied";
    EXPECT_EQ(xlBookAddFormatA(b.h, theirs), nullptr);
    EXPECT_TRUE(xlSheetWriteNumA(b.sheet, 5, 3, 1, mine));
    EXPECT_TRUE(xlSheetWriteNumA(b.sheet, 5, 1, 1, nullptr)) << "cells of one row in any order";
    EXPECT_FALSE(xlSheetWriteNumA(b.sheet, 4, 0, 1, nullptr)) << "a row before the one being written";
    EXPECT_FALSE(xlSheetWriteNumA(b.sheet, 6, 0, 1, theirs));
    EXPECT_FALSE(xlSheetWriteNumA(b.sheet, 6, -1, 1, nullptr));
    EXPECT_FALSE(xlSheetWriteNumA(b.sheet, 6, 0, std::nan(""), nullptr)) << "not a number";
    EXPECT_FALSE(xlSheetWriteStrA(b.sheet, 6, 0, nullptr, nullptr));
    EXPECT_FALSE(xlSheetSetColA(b.sheet, 3, 2, 10, nullptr, 0));
    EXPECT_FALSE(xlSheetSetColA(b.sheet, 0, 256, 10, nullptr, 0));
    EXPECT_TRUE(xlSheetSetRowA(b.sheet, 0, 15, mine, 0)) << "a row already written";
    EXPECT_FALSE(xlSheetSetRowA(b.sheet, 65536, 15, nullptr, 0));
}

} // namespace
