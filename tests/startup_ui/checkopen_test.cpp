// Opening the library with every way it can fail: the messages shown and where the program ends.
#include "common.h"

#include "organizer/globals.h"
#include "organizer/office.h"
#include "organizer/standard.h"
#include "runtime/prompt.h"

#include <sqlite3.h>

#include <thread>

using namespace startup_test;
using namespace velquin;

namespace {

// Opens OFFICE through CHECKOPEN; the halt's text when the program would have ended there.
std::string open_library(uitest::ScriptDriver& d, int create = OMITTED) {
    uitest::DriverScope scope(d);
    try {
        CHECKOPEN(OFFICE, create);
    } catch (const rt::Halted& h) {
        return h.text;
    }
    return {};
}

void sql(const std::string& path, const char* statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, statement, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::string utf8_path(const std::wstring& w) {
    return u8(w);
}

} // namespace

TEST(CheckOpen, MissingFileWithCreateIsMadeEmptyWithoutAMessage) {
    WorkFolder dir(L"create");
    OINI.DB = K(u"새 문서함.VL1");
    uitest::ScriptDriver d;
    EXPECT_EQ(open_library(d, 1), "");
    EXPECT_TRUE(d.messages.empty());
    EXPECT_TRUE(OFFICE.is_open());
    EXPECT_EQ(OFFICE.records(), 0);
    OFFICE.close();
    EXPECT_TRUE(exists(dir.file(L"새 문서함.VL1")));
}

TEST(CheckOpen, MissingFileWithoutCreateEnds) {
    WorkFolder dir(L"nocreate");
    OINI.DB = "missing.VL1";
    {
        uitest::ScriptDriver d;
        d.message_answers = {1};
        EXPECT_EQ(open_library(d), "Disk Error") << "create left out: warning 30";
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].caption, "File Access Error");
        EXPECT_EQ(u8(d.messages[0].text), u8(K(u"missing.VL1 파일을 오픈할 수 없습니다. 에러 : ")) +
                                              "File Not Found (2).");
    }
    {
        uitest::ScriptDriver d;
        d.message_answers = {1};
        EXPECT_EQ(u8(open_library(d, 0)), u8(K(u"데이터 파일생성 실패!"))) << "create other than 1: warning 4";
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].caption, "File Creation Error");
    }
    EXPECT_FALSE(exists(dir.file(L"missing.VL1")));
}

// A missing folder is not a missing file: code 3 takes the road of every other code.
TEST(CheckOpen, ALibraryInAMissingFolderEndsWithDiskError) {
    WorkFolder dir(L"nofolder");
    OINI.DB = "no such folder\\lib.VL1";
    uitest::ScriptDriver d;
    d.message_answers = {1};
    const std::string stop = open_library(d, 1);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].caption, "File Access Error");
    EXPECT_EQ(u8(d.messages[0].text), u8(K(u"no such folder\\lib.VL1 파일을 오픈할 수 없습니다. 에러 : ")) +
                                          "Path Not Found (3).");
    EXPECT_EQ(stop, "Disk Error");
    EXPECT_FALSE(exists(dir.file(L"no such folder")));
}

TEST(CheckOpen, ATextFileIsNotALibrary) {
    WorkFolder dir(L"text");
    write_file(dir.file(L"notes.VL1"), "these are notes, not a library\r\n");
    OINI.DB = "notes.VL1";
    uitest::ScriptDriver d;
    d.message_answers = {1};
    EXPECT_EQ(u8(open_library(d, 1)), u8(K(u"잘못된 데이터 파일입니다.!")));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].caption, "Invalid File");
    EXPECT_EQ(d.messages[0].icon, rt::Icon::information);
    EXPECT_NE(u8(d.messages[0].text).find("notes.VL1"), std::string::npos) << u8(d.messages[0].text);
    EXPECT_EQ(read_file(dir.file(L"notes.VL1")), "these are notes, not a library\r\n") << "the file is left alone";
}

TEST(CheckOpen, DamagedKeysAreRebuiltOnYesAndEndTheProgramOnNo) {
    WorkFolder dir(L"keys");
    OINI.DB = "keys.VL1";
    {
        uitest::ScriptDriver d;
        ASSERT_EQ(open_library(d, 1), "");
        OFFICE.clear();
        OFC.DATE = 80000;
        OFC.SUBJ = "one";
        EXPECT_EQ(OFFICE.add().code(), 0);
        OFFICE.close();
    }
    const std::string path = utf8_path(dir.file(L"keys.VL1"));
    sql(path, "DROP INDEX office_date_key");
    {
        uitest::ScriptDriver d;
        d.message_answers = {4};
        EXPECT_EQ(u8(open_library(d, 1)), u8(K(u"정렬키(Key)에 문제가 있습니다.!")));
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].caption, "Invalid Key");
        EXPECT_EQ(d.messages[0].icon, rt::Icon::exclamation);
        EXPECT_EQ(d.messages[0].buttons, rt::button::yes + rt::button::no);
        EXPECT_EQ(d.messages[0].default_button, static_cast<int>(rt::button::yes));
    }
    {
        uitest::ScriptDriver d;
        d.message_answers = {2};
        EXPECT_EQ(open_library(d, 1), "");
        EXPECT_EQ(d.messages.size(), 1u);
        ASSERT_TRUE(OFFICE.is_open());
        EXPECT_EQ(OFFICE.set(OFC_RECORD::DATE_KEY).code(), 0);
        EXPECT_EQ(OFFICE.next().code(), 0);
        EXPECT_EQ(OFC.SUBJ.clip(), "one");
        OFFICE.close();
    }
}

TEST(CheckOpen, ALockedLibraryIsTriedOnceMoreThenEnds) {
    WorkFolder dir(L"lock");
    OINI.DB = "locked.VL1";
    {
        uitest::ScriptDriver d;
        ASSERT_EQ(open_library(d, 1), "");
        OFFICE.close();
    }
    // Another holder keeps a write lock for longer than the recovery wait.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(utf8_path(dir.file(L"locked.VL1")).c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    uitest::ScriptDriver d;
    d.message_answers = {1};
    EXPECT_EQ(open_library(d, 1), "Disk Error");
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].caption, "File Access Error");
    EXPECT_NE(u8(d.messages[0].text).find("(32)"), std::string::npos) << u8(d.messages[0].text);
}

TEST(StandardWarning, EndOrBeginningOfFileAndNumbersWithoutMessage) {
    uitest::ScriptDriver d;
    uitest::DriverScope scope(d);
    d.message_answers = {2, 4};
    EXPECT_EQ(STANDARDWARNING(29, "Down"), 2);
    EXPECT_EQ(STANDARDWARNING(29, "Up"), 4);
    ASSERT_EQ(d.messages.size(), 2u);
    EXPECT_EQ(d.messages[0].caption, "End of File Error");
    EXPECT_EQ(d.messages[1].caption, "Beginning of File Error");
    EXPECT_EQ(d.messages[0].icon, rt::Icon::exclamation);
    EXPECT_EQ(d.messages[0].default_button, static_cast<int>(rt::button::yes));
    EXPECT_EQ(STANDARDWARNING(0, "x"), 0);
    EXPECT_EQ(STANDARDWARNING(39, "x"), 0);
    EXPECT_EQ(d.messages.size(), 2u) << "0 and 39 show nothing";
}
