// The new-library form from the main window's button: a library created in the start folder and opened,
// Cancel changing nothing, names that would not make one file in the start folder refused.
#include "tests/mainwindow/support.h"

#include "organizer/newdb.h"
#include "runtime/ini.h"
#include "runtime/prompt.h"

namespace {

using namespace mainwindow_test;
using newdbform::Ctl;
using startup_test::exists;
using startup_test::WorkFolder;

FormStep name(std::string cp949, Ctl button = Ctl::OK) {
    return [cp949, button](rt::Window& w) {
        EXPECT_EQ(u8(w.title()), "새 오피스 DB 생성");
        EXPECT_EQ(u8(w.text(Ctl::MSG)), "DB명은 파일명으로 사용되니 마침표,특수문자,공백없이 입력하세요.");
        w.set_text(Ctl::NEWDB, cp949);
        w.post(rt::EventKind::accepted, button);
    };
}

TEST(NewLibrary, CreatedInTheStartFolderAndOpened) {
    WorkFolder work(L"newdb");
    startup_test::write_office_ids();
    uitest::ScriptDriver d;
    std::string first_title;
    const Step new_library = [](const View& v) { v.w.post(rt::EventKind::accepted, velquin::Ctl::NEWDB); };
    std::vector<FormStep> form = {name("work", Ctl::CANCEL)};
    for (const char* refused : {"my.db", "a/b", "a:b", "", "..", "CON", "nul", "COM1", "LPT1", "aux", "a|b"})
        form.push_back([&d, refused](rt::Window& w) {
            d.message_answers.push_back(1);
            name(refused)(w);
        });
    form.push_back(name("my work"));
    run_steps(d,
              {
                  [&](const View& v) {
                      first_title = v.w.title();
                      v.choose(2);
                      new_library(v);
                  },
                  [&](const View& v) {
                      // Cancelled: the same library, the same view.
                      EXPECT_EQ(v.w.title(), first_title);
                      EXPECT_TRUE(v.w.visible(velquin::Ctl::LIST2));
                      EXPECT_FALSE(exists(work.file(L"work.VL1")));
                      new_library(v);
                  },
                  [&](const View& v) {
                      const std::string path = GLO.HOMEPATH.clip() + "\\my work";
                      EXPECT_EQ(GLO.DBPATH.clip(), path);
                      EXPECT_EQ(v.w.title(), "Velquin - " + path + ".VL1");
                      EXPECT_EQ(v.tree_rows(),
                                (std::vector<std::string>{" 오피스문서 관리", "편집일순", "목차순", "휴지통"}));
                      EXPECT_TRUE(v.w.visible(velquin::Ctl::GROUP1));
                      EXPECT_EQ(OFFICE.records(), 2); // the placeholder and the notice
                  },
              },
              form);
    EXPECT_TRUE(exists(work.file(L"my work.VL1")));
    EXPECT_EQ(rt::get_ini("Velquin", "DefaultDB", "", ".\\Velquin.INI"), GLO.HOMEPATH.clip() + "\\my work.VL1");
    ASSERT_EQ(d.messages.size(), 11u);
    for (const auto& m : d.messages) EXPECT_EQ(m.text, d.messages[0].text);
    EXPECT_NE(u8(d.messages[0].text).find("CON PRN AUX NUL"), std::string::npos);
    const std::string shown = u8(rt::box_text(d.messages[10].text)); // "a|b": the box names the "|"
    EXPECT_NE(shown.find("\\ / : * ? \" < > | 가 들어 있거나"), std::string::npos) << shown;
    EXPECT_EQ(d.beeps, 11);
}

} // namespace
