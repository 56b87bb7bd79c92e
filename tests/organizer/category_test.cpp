// Category-wide writes: trashing, restoring and deleting a category for good change the category and every one of
// its documents at once, or nothing; a writer killed at any moment leaves each category wholly before or after.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "../keyfile/process.h"
#include "organizer/globals.h"
#include "organizer/office.h"

namespace {

using namespace velquin;

constexpr int kDocuments = 150; // per category

std::string err() {
    return "error " + std::to_string(rt::error_code()) + " " + rt::error_text() + " / " + rt::driver_error_text();
}

struct Library {
    std::string dir = kt::temp_folder("category");
    std::string path = dir + "cat.VL1";
    Library() {
        OINI.DB = path;
        EXPECT_EQ(OFFICE.create().code(), 0) << err();
        EXPECT_EQ(OFFICE.open().code(), 0) << err();
    }
    ~Library() {
        OFFICE.close();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    // A live category with its documents, and one document trashed from it by itself.
    void add_category(std::int16_t number) {
        rt::Transaction t(OFFICE);
        OFFICE.clear();
        OFC.TREE = number;
        OFC.SORT = number;
        OFC.LEVEL = 1;
        OFC.SUBJ = "category " + std::to_string(number);
        EXPECT_EQ(OFFICE.add().code(), 0) << err();
        for (int i = 0; i < kDocuments + 1; ++i) {
            OFFICE.clear();
            OFC.NODE = i < kDocuments ? number : TRASH_NODE;
            OFC.SORT = i < kDocuments ? 0 : number;
            OFC.DATE = 80000 + i;
            OFC.SUBJ = "document " + std::to_string(i);
            EXPECT_EQ(OFFICE.add().code(), 0) << err();
        }
        EXPECT_EQ(t.commit().code(), 0) << err();
    }
};

// The state of a category: "live", "trashed" or "gone" when it and all its documents agree, otherwise what
// disagrees. Documents trashed by themselves must stay as they were.
std::string state_of(std::int16_t number) {
    OFFICE.clear();
    OFC.TREE = number;
    const rt::Status got = OFFICE.get(OFC_RECORD::TREE_KEY);
    if (!got && got.code() != rt::ERR_RECORD_NOT_FOUND) return err();
    const std::string state = !got                                                ? "gone"
                              : OFC.LEVEL == 1 && OFC.SORT == number              ? "live"
                              : OFC.LEVEL == 2 && OFC.SORT == number + TRASH_NODE ? "trashed"
                                                                                  : "category half-way";
    const int document_sort = state == "live" ? 0 : number + TRASH_NODE;
    int documents = 0, alone = 0;
    rt::Status scan = OFFICE.set(OFC_RECORD::NODE_KEY);
    for (scan = scan ? OFFICE.next() : scan; scan; scan = OFFICE.next()) {
        if (OFC.NODE == TRASH_NODE && OFC.SORT == number) ++alone;
        if (OFC.NODE != number) continue;
        ++documents;
        if (OFC.SORT != document_sort) return state + " with a document of SORT " + std::to_string(OFC.SORT);
    }
    if (!scan.end()) return err();
    if (alone == 0) return state + " without the document trashed by itself";
    if (documents != (state == "gone" ? 0 : kDocuments)) return state + " with " + std::to_string(documents);
    return state;
}

TEST(Category, EachWriteChangesTheCategoryAndAllItsDocumentsOrNothing) {
    Library lib;
    lib.add_category(1);
    lib.add_category(2);
    struct Step {
        CategoryFailure (*write)(std::int16_t);
        std::int16_t number;
        bool locked; // another connection holds the write lock
        CategoryFailure failure;
        const char* state;
    };
    const Step steps[] = {
        {trash_category, 1, false, CategoryFailure::none, "trashed"},
        {restore_category, 1, true, CategoryFailure::file, "trashed"},
        {restore_category, 1, false, CategoryFailure::none, "live"},
        {trash_category, 1, true, CategoryFailure::file, "live"},
        {trash_category, 1, false, CategoryFailure::none, "trashed"},
        {delete_category, 1, true, CategoryFailure::file, "trashed"},
        {delete_category, 1, false, CategoryFailure::none, "gone"},
        {trash_category, 1, false, CategoryFailure::category_missing, "gone"},
    };
    ASSERT_EQ(OFFICE.send("Recover=0"), "0");
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(&s - steps));
        sqlite3* other = nullptr;
        if (s.locked) {
            ASSERT_EQ(sqlite3_open(lib.path.c_str(), &other), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        EXPECT_EQ(s.write(s.number), s.failure);
        if (s.locked) {
            EXPECT_EQ(rt::error_code(), rt::ERR_LOCKED) << err();
        }
        sqlite3_close(other);
        EXPECT_EQ(state_of(s.number), s.state);
        EXPECT_EQ(state_of(2), "live") << "another category is left alone";
    }
}

TEST(Category, AKilledWriterLeavesEveryCategoryWhollyBeforeOrAfter) {
    Library lib;
    for (std::int16_t n = 1; n <= 8; ++n)
        lib.add_category(n);
    std::mt19937 rng(20261209);
    int changed = 0;
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        OFFICE.close();
        const std::string started = lib.dir + "started" + std::to_string(round);
        kt::Process child = kt::spawn("category_writer", {lib.path, started, std::to_string(round)});
        ASSERT_NE(child.handle, 0);
        ASSERT_TRUE(kt::wait_for_file(started, 30000)) << "the writer did not start";
        // Kill it a moment later, wherever it is.
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 20000));
        kt::kill(child);
        kt::wait(child);
        ASSERT_EQ(OFFICE.open().code(), 0) << err();
        for (std::int16_t n = 1; n <= 8; ++n) {
            const std::string state = state_of(n);
            ASSERT_TRUE(state == "live" || state == "trashed" || state == "gone") << "category " << n << ": " << state;
            changed += state != "live";
            if (state == "gone") lib.add_category(n);
        }
    }
    EXPECT_GT(changed, 0);
}

} // namespace
