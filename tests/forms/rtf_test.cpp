// The RTF source window from Ctrl+F8 on the main window's list: the clean-up with its question, "아니" and
// Cancel storing nothing.
#include "tests/mainwindow/support.h"

#include "organizer/rtftest.h"
#include "runtime/clock.h"
#include "runtime/picture.h"

#include <sqlite3.h>

namespace {

using namespace mainwindow_test;
using rtfform::Ctl;
using startup_test::WorkFolder;
using Rows = std::vector<std::string>;

const std::string CALIBRI_BODY = "{\\rtf1{\\fonttbl{\\f0 Gulim;}{\\f1\\fswiss\\fcharset0 Calibri;}}"
                                 "\\f1\\lang1033 a\\f1\\lang1033 b\\lang1042 c\\lang1042 d\\lang1042 e}";
const std::string PLAIN_BODY = "{\\rtf1\\f1\\lang1033 x\\lang1042 y}";
const std::string CLEAN_BODY = "{\\rtf1 nothing to remove}";

struct Stored {
    std::string subj, note;
    std::int32_t date;
};

TEST(RtfWindow, CleansAsksAndStoresOnlyWhenTold) {
    WorkFolder work(L"rtf");
    startup_test::write_office_ids();
    Library lib;
    const std::vector<std::string> bodies = {CALIBRI_BODY, PLAIN_BODY, CLEAN_BODY, CALIBRI_BODY, CALIBRI_BODY};
    std::vector<std::int32_t> docs;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        docs.push_back(lib.document({.date = 80010 - static_cast<std::int32_t>(i), .subj = "doc" + std::to_string(i)}));
        lib.get(docs.back());
        OFFICE.set_blob(OFC_RECORD::NOTE, bodies[i]);
        ASSERT_TRUE(OFFICE.put());
    }
    lib.close();
    uitest::ScriptDriver d;
    // Row n of the edit-date view, then Ctrl+F8.
    const auto source_of = [](int row) {
        return [row](const View& v) {
            v.list().select(v.w, static_cast<int>(velquin::Ctl::LIST2), row);
            v.w.post(rt::EventKind::alert_key, 0, rt::key::ctrl | rt::key::f8);
        };
    };
    const auto save = [&](int answer, std::string title = {}) {
        return [&d, answer, title](rt::Window& w) {
            EXPECT_EQ(w.title(), "RTF Source Test");
            EXPECT_EQ(u8(w.tip(Ctl::RTEXT)),
                      "편집창에서 입력한 내용이 RTF 소스에는 어떤 형식으로 들어가나 테스트하기 위한 창임.");
            if (!title.empty()) w.set_text(Ctl::OFC_SUBJ, title);
            d.message_answers.push_back(answer);
            w.post(rt::EventKind::accepted, answer ? Ctl::OK : Ctl::CANCEL);
        };
    };
    run_steps(d,
              {[](const View& v) { v.choose(2); }, source_of(1), source_of(2), source_of(3), source_of(4),
               [&](const View& v) {
                   EXPECT_EQ(v.column(2)[3], "doc3"); // "아니": the row shows what is stored
                   source_of(5)(v);
               },
               [](const View&) { EXPECT_EQ(ACTION, 0); }},
              {[&](rt::Window& w) {
                   EXPECT_EQ(w.text(Ctl::RTEXT), CALIBRI_BODY);
                   EXPECT_EQ(w.text(Ctl::OFC_SUBJ), "doc0");
                   save(1, "renamed")(w);
               },
               save(1), save(1), save(2, "not stored"), save(0)});
    d.message_answers.clear();

    // The questions: the lengths before and after, the answers "저장" and "아니" with "아니" the default.
    ASSERT_EQ(d.messages.size(), 4u);
    const std::size_t calibri = CALIBRI_BODY.size(), plain = PLAIN_BODY.size(), clean = CLEAN_BODY.size();
    const std::vector<std::pair<std::size_t, std::size_t>> lengths = {
        {calibri, calibri - 51}, {plain, plain - 18}, {clean, clean}, {calibri, calibri - 51}};
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const rt::MessageRequest& m = d.messages[i];
        EXPECT_EQ(u8(m.text), "원본= " + std::to_string(lengths[i].first) +
                                  " 정리후= " + std::to_string(lengths[i].second) + " 저장할까요? ");
        EXPECT_EQ(u8(m.caption), "확인");
        EXPECT_EQ(m.icon, rt::Icon::information);
        EXPECT_EQ(m.labels, (std::vector<std::string>{K(u"저장"), K(u"아니")}));
        EXPECT_EQ(m.default_button, 2);
        EXPECT_TRUE(m.system_modal);
    }

    lib.reopen();
    std::vector<Stored> stored;
    for (std::int32_t pos : docs) {
        lib.get(pos);
        stored.push_back({OFC.SUBJ.clip(), OFFICE.blob(OFC_RECORD::NOTE), OFC.DATE});
    }
    const std::int32_t today = rt::today();
    EXPECT_EQ(stored[0].subj, "renamed");
    EXPECT_EQ(stored[0].note, "{\\rtf1{\\fonttbl{\\f0 Gulim;}{\\f1\\fswiss\\fcharset0 Calibri;}} a b c d e}");
    EXPECT_EQ(stored[0].date, today);
    EXPECT_EQ(stored[1].note, "{\\rtf1\\f1 x y}"); // no font tag: \f1 stays
    EXPECT_EQ(stored[2].note, CLEAN_BODY);
    EXPECT_EQ(stored[2].date, today);
    for (std::size_t i : {3u, 4u}) { // "아니" and Cancel
        EXPECT_EQ(stored[i].subj, "doc" + std::to_string(i));
        EXPECT_EQ(stored[i].note, CALIBRI_BODY);
        EXPECT_EQ(stored[i].date, 80010 - static_cast<std::int32_t>(i));
    }
}

// A save that the library refuses (another program holds its write lock) is reported, and the list shows what is
// stored, not the unsaved title and date.
TEST(RtfWindow, AFailedSaveLeavesTheListShowingWhatIsStored) {
    WorkFolder work(L"rtf-locked");
    startup_test::write_office_ids();
    Library lib;
    const std::int32_t doc = lib.document({.date = 80000, .subj = "stored"});
    lib.get(doc);
    OFFICE.set_blob(OFC_RECORD::NOTE, CALIBRI_BODY);
    ASSERT_TRUE(OFFICE.put());
    lib.close();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("myOFFICE.VL1", &other), SQLITE_OK);
    const Rows stored_row = {u8(rt::format(80000.0, "@D9-")), "stored"};
    uitest::ScriptDriver d;
    run_steps(d,
              {[](const View& v) { v.choose(2); },
               [&](const View& v) {
                   ASSERT_EQ(OFFICE.send("Recover=0"), "0");
                   ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
                   v.list().select(v.w, static_cast<int>(velquin::Ctl::LIST2), 1);
                   v.w.post(rt::EventKind::alert_key, 0, rt::key::ctrl | rt::key::f8);
               },
               [&](const View& v) {
                   sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
                   EXPECT_EQ(d.stops, Rows{"File Is Already Locked"});
                   EXPECT_EQ((Rows{v.column(1).at(0), v.column(2).at(0)}), stored_row);
               }},
              {[&](rt::Window& w) {
                  w.set_text(Ctl::OFC_SUBJ, "unsaved");
                  d.message_answers = {1};
                  w.post(rt::EventKind::accepted, Ctl::OK);
              }});
    sqlite3_close(other);
    lib.reopen();
    lib.get(doc);
    EXPECT_EQ(OFC.SUBJ.clip(), "stored");
    EXPECT_EQ(OFC.DATE, 80000);
    EXPECT_EQ(OFFICE.blob(OFC_RECORD::NOTE), CALIBRI_BODY);
}

} // namespace
