// The library table OFFICE: what each key holds and in which order, the optional rule, duplicates, the file name
// taken from OINI:DB, and one instance per thread.
#include "organizer/office.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../keyfile/process.h"
#include "organizer/globals.h"

namespace {

using namespace velquin;

std::string err() {
    return "error " + std::to_string(rt::error_code()) + " " + rt::error_text() + " / driver " +
           rt::driver_error_code() + " " + rt::driver_error_text();
}

// A fresh library named by OINI:DB, open.
struct Library {
    std::string dir = kt::temp_folder("office");
    Library() {
        OINI.DB = dir + "myOFFICE.VL1";
        EXPECT_EQ(OFFICE.create().code(), 0) << err();
        EXPECT_EQ(OFFICE.open().code(), 0) << err();
    }
    ~Library() {
        OFFICE.close();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

std::int32_t add_category(std::int16_t tree, std::int16_t sort, std::u16string_view name) {
    OFFICE.clear();
    OFC.TREE = tree;
    OFC.SORT = sort;
    OFC.LEVEL = 1;
    OFC.SUBJ = name;
    EXPECT_EQ(OFFICE.add().code(), 0) << err();
    return OFFICE.position();
}

std::int32_t add_document(std::int16_t node, std::int32_t date, std::int32_t time, const std::string& index = "") {
    OFFICE.clear();
    OFC.NODE = node;
    OFC.DATE = date;
    OFC.TIME = time;
    OFC.CDATE = date;
    OFC.INDEX = index;
    OFC.SUBJ = "doc " + std::to_string(date) + "/" + std::to_string(time);
    EXPECT_EQ(OFFICE.add().code(), 0) << err();
    return OFFICE.position();
}

std::vector<std::int32_t> read_key(rt::Key key) {
    std::vector<std::int32_t> out;
    EXPECT_EQ(OFFICE.set(key).code(), 0);
    for (rt::Status st = OFFICE.next(); st; st = OFFICE.next())
        out.push_back(OFFICE.position());
    EXPECT_EQ(rt::error_code(), rt::ERR_NOT_AVAILABLE) << err();
    return out;
}

using Positions = std::vector<std::int32_t>;

TEST(Office, EachKeyHoldsItsRecordsInItsOrder) {
    Library lib;
    OFFICE.clear();
    EXPECT_EQ(OFFICE.add().code(), 0); // the blank placeholder a new library gets
    const std::int32_t blank = OFFICE.position();
    const std::int32_t cat2 = add_category(2, 1, u"둘째");
    const std::int32_t cat1 = add_category(1, 2, u"첫째");
    const std::int32_t trashed = add_document(TRASH_NODE, 80000, 100);
    const std::int32_t old1 = add_document(1, 70000, 500, "b-2");
    const std::int32_t new1 = add_document(1, 70010, 100, "B-1");
    const std::int32_t none = add_document(0, 70005, 900);
    const std::int32_t same_a = add_document(2, 70003, 300, "a");
    const std::int32_t same_b = add_document(2, 70003, 300, "A");

    EXPECT_EQ(OFFICE.records(), 9);
    EXPECT_EQ(read_key(OFC.TREE_KEY), (Positions{cat1, cat2}));
    // By category (none first, the trash last), newest first within one; duplicates in the order they came.
    EXPECT_EQ(read_key(OFC.NODE_KEY), (Positions{none, new1, old1, same_a, same_b, trashed}));
    EXPECT_EQ(read_key(OFC.DNO_KEY), Positions{});
    EXPECT_EQ(read_key(OFC.DATE_KEY), (Positions{trashed, new1, none, same_a, same_b, old1}));
    // Index codes without regard to letter case; documents without one are not in the key.
    EXPECT_EQ(read_key(OFC.INDEX_KEY), (Positions{same_a, same_b, new1, old1}));
    for (rt::Key k : {OFC.TREE_KEY, OFC.NODE_KEY, OFC.DNO_KEY, OFC.DATE_KEY, OFC.INDEX_KEY})
        for (std::int32_t p : read_key(k))
            EXPECT_NE(p, blank) << "key " << k.index;

    // The category view: the documents of category 1 from the first of them, until another category starts.
    OFFICE.clear();
    OFC.NODE = 1;
    OFC.DATE = 2147483647;
    EXPECT_EQ(OFFICE.set_from(OFC.NODE_KEY).code(), 0);
    Positions got;
    for (rt::Status st = OFFICE.next(); st && OFC.NODE == 1; st = OFFICE.next())
        got.push_back(OFFICE.position());
    EXPECT_EQ(got, (Positions{new1, old1}));

    // The highest category number is the last entry of TREE_KEY.
    EXPECT_EQ(OFFICE.set(OFC.TREE_KEY).code(), 0);
    EXPECT_EQ(OFFICE.previous().code(), 0) << err();
    EXPECT_EQ(+OFC.TREE, 2);
    EXPECT_EQ(OFC.SUBJ.clip(), rt::to_cp949(u"둘째"));
}

TEST(Office, LargeFieldsAndTheFullRecordSurviveReopening) {
    Library lib;
    OFFICE.clear();
    OFC.DATE = 1;
    OFC.EXT = "DOC";
    OFC.SUBJ = rt::to_cp949(u"공지사항");
    for (int i = 0; i < 10; ++i) {
        OFC.AFILE[i] = "file" + std::to_string(i) + ".txt";
        OFC.AREMARK[i] = rt::to_cp949(u"비고 ") + std::to_string(i);
    }
    std::string rtf = "{\\rtf1\\ansi\\ansicpg949 ";
    rtf.resize(2000000, 'x');
    const std::string object(70000, '\x01');
    OFFICE.set_blob(OFC.NOTE, rtf);
    OFFICE.set_blob(OFC.OBJECT, object);
    OFC.SIZE = static_cast<std::int32_t>(object.size());
    const OFC_RECORD written = OFC;
    EXPECT_EQ(OFFICE.add().code(), 0);
    const std::int32_t pos = OFFICE.position();
    OFFICE.close();
    EXPECT_EQ(OFFICE.open().code(), 0);
    OFFICE.clear();
    ASSERT_EQ(OFFICE.get_at(pos).code(), 0) << err();
    EXPECT_EQ(std::memcmp(&OFC, &written, sizeof OFC), 0);
    EXPECT_TRUE(OFFICE.blob(OFC.NOTE) == rtf);
    EXPECT_TRUE(OFFICE.blob(OFC.OBJECT) == object);
}

TEST(Office, FileNameComesFromOiniDbAtEachOpen) {
    Library lib;
    add_document(0, 5, 5);
    OFFICE.close();
    OINI.DB = lib.dir + "other.VL1";
    EXPECT_EQ(OFFICE.open().code(), rt::ERR_FILE_NOT_FOUND) << err();
    EXPECT_EQ(OFFICE.name(), lib.dir + "other.VL1");
    EXPECT_EQ(OFFICE.create().code(), 0);
    EXPECT_EQ(OFFICE.open().code(), 0);
    EXPECT_EQ(OFFICE.records(), 0);
    OFFICE.close();
    OINI.DB = lib.dir + "myOFFICE.VL1";
    EXPECT_EQ(OFFICE.open().code(), 0);
    EXPECT_EQ(OFFICE.records(), 1);
}

TEST(Office, EachThreadHasItsOwnInstanceAndResponse) {
    Library lib;
    add_document(0, 5, 5);
    GLOBALRESPONSE = 1;
    bool open_there = true;
    std::int32_t response_there = -1, records_there = -1;
    std::thread([&] {
        open_there = OFFICE.is_open();
        response_there = GLOBALRESPONSE;
        EXPECT_EQ(OFFICE.open().code(), 0);
        records_there = OFFICE.records();
        OFFICE.close();
    }).join();
    EXPECT_FALSE(open_there);
    EXPECT_EQ(response_there, 0);
    EXPECT_EQ(records_there, 1);
    EXPECT_TRUE(OFFICE.is_open());
    EXPECT_EQ(GLOBALRESPONSE, 1);
    GLOBALRESPONSE = 0;
}

} // namespace
