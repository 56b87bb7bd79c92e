// The category form from the main window's tree buttons: numbering by the highest number and its limit, the
// name rules, and renaming a category with its folder of linked files.
#include "tests/mainwindow/support.h"

#include "organizer/updateclass.h"
#include "runtime/prompt.h"

namespace {

using namespace mainwindow_test;
using classform::Ctl;
using startup_test::exists;
using startup_test::WorkFolder;

// The form step that types a name and presses OK (or Cancel).
FormStep name(std::string cp949, Ctl button = Ctl::OK) {
    return [cp949, button](rt::Window& w) {
        EXPECT_EQ(u8(w.title()), "문서분류");
        w.set_text(Ctl::OFC_SUBJ, cp949);
        w.post(rt::EventKind::accepted, button);
    };
}

std::string texts(const uitest::ScriptDriver& d, std::size_t from) {
    std::string all;
    for (std::size_t i = from; i < d.messages.size(); ++i)
        all += u8(d.messages[i].text) + "\n";
    return all;
}

// Adds a category straight into the open library.
void category(std::int16_t number, std::u16string_view subj) {
    OFFICE.clear();
    OFC.TREE = number;
    OFC.SORT = number;
    OFC.LEVEL = 1;
    OFC.SUBJ = subj;
    ASSERT_TRUE(OFFICE.add());
}
void remove(std::int16_t number) {
    OFC.TREE = number;
    ASSERT_TRUE(OFFICE.get(OFC_RECORD::TREE_KEY));
    ASSERT_TRUE(OFFICE.del());
}

TEST(ClassForm, NumbersFollowTheHighestNumberUpToTheLimit) {
    WorkFolder work(L"class-numbers");
    startup_test::write_office_ids();
    uitest::ScriptDriver d;
    std::vector<int> numbers;
    // The form shows the new number in the buffer; the category is named after it.
    const FormStep numbered = [&](rt::Window& w) {
        numbers.push_back(OFC.TREE);
        EXPECT_EQ(OFC.SORT, 1); // a fixed row is selected: sort place 1
        name("n" + std::to_string(OFC.TREE))(w);
    };
    const Step add_new = [](const View& v) { v.w.post(rt::EventKind::accepted, velquin::Ctl::TREEINSERT); };
    const auto selected = [](const View& v) {
        return u8(v.tree().text(static_cast<std::size_t>(v.selected_tree_row())));
    };
    run_steps(d,
              {
                  add_new, // an empty library: 1
                  [&](const View& v) {
                      EXPECT_EQ(selected(v), "n1");
                      for (std::int16_t n = 2; n <= 5; ++n)
                          category(n, u"x" + std::u16string(1, char16_t(u'0' + n)));
                      remove(5); // 1 to 5, 5 deleted for good: 5 again
                      v.choose(2);
                      add_new(v);
                  },
                  [&](const View& v) {
                      EXPECT_EQ(selected(v), "n5");
                      remove(3); // 3 deleted, 5 there: 6
                      v.choose(2);
                      add_new(v);
                  },
                  [&](const View& v) {
                      category(9998, u"last but one");
                      v.choose(2);
                      add_new(v);
                  },
                  [&](const View& v) {
                      d.message_answers = {1};
                      add_new(v); // 9999 is the highest: no more
                  },
                  [&](const View&) {
                      ASSERT_EQ(d.messages.size(), 1u);
                      EXPECT_EQ(u8(d.messages[0].text), "문서분류는 최대 10,000개 까지만 등록할 수 있습니다.");
                      EXPECT_TRUE(d.messages[0].caption.empty());
                      EXPECT_EQ(d.beeps, 1);
                      EXPECT_EQ(ACTION, 1);
                  },
              },
              {numbered, numbered, numbered, numbered});
    EXPECT_EQ(numbers, (std::vector<int>{1, 5, 6, 9999}));
    OINI.DB = "myOFFICE.VL1"; // the file read back: nothing was added by the refused form
    ASSERT_TRUE(OFFICE.open());
    ASSERT_TRUE(OFFICE.set(OFC_RECORD::TREE_KEY));
    std::vector<int> stored;
    while (OFFICE.next())
        stored.push_back(OFC.TREE);
    OFFICE.close();
    EXPECT_EQ(stored, (std::vector<int>{1, 2, 4, 5, 6, 9998, 9999}));
}

TEST(ClassForm, NamesThatAreTooLongTakenOrNoFolderNameAreRefused) {
    WorkFolder work(L"class-names");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"보고서");
    lib.category(2, 0, u"지난 계획", true);
    lib.category(3, 0, u"Reports", true);
    lib.document({});
    lib.close();
    uitest::ScriptDriver d;
    const std::string fifteen = K(u"가나다라마바사아자차카타파하가"); // 30 bytes
    std::vector<FormStep> tries;
    // Folder names ignore the case of Latin letters; device names are no folders.
    std::vector<std::string> refused = {fifteen + "a", K(u"분류없음"), K(u"지난 계획"), K(u"보고서"), "rEPORTS",
                                        "..",          "a.",           "a/b",           "c:x",         "a\\b",
                                        "",            "   ",          "CON",           "nul.txt",     "Lpt1",
                                        "a|b"};
    for (const std::string& n : refused)
        tries.push_back([&d, n](rt::Window& w) {
            d.message_answers.push_back(1);
            name(n)(w);
        });
    // After each refusal the focus is back on the name, and the form is still open.
    tries.push_back([&](rt::Window& w) {
        EXPECT_EQ(GetFocus(), w.handle(Ctl::OFC_SUBJ));
        name(fifteen)(w);
    });
    run_steps(d,
              {[](const View& v) { v.w.post(rt::EventKind::accepted, velquin::Ctl::TREEINSERT); },
               [&](const View& v) {
                   EXPECT_EQ(ACTION, 0);
                   EXPECT_EQ(v.tree_rows()[4], u8(fifteen));
               }},
              tries);
    const std::string too_long = "분류명은 최대 30자(한글15자) 까지만 입력하세요\n";
    const std::string taken = "동일한 이름의 분류가 이미 있습니다. 다른 이름을 입력하세요\n";
    const std::string folder = u8(d.messages.back().text) + "\n";
    EXPECT_EQ(texts(d, 0),
              too_long + taken + taken + taken + taken + folder + folder + folder + folder + folder + folder + folder +
                  folder + folder + folder + folder);
    // The box shows every character the name may not hold, "|" too, on one line, and names the device names.
    const std::string shown = u8(rt::box_text(d.messages.back().text));
    EXPECT_NE(shown.find("\\ / : * ? \" < > | 가 들어간"), std::string::npos) << shown;
    EXPECT_NE(folder.find("CON PRN AUX NUL"), std::string::npos) << folder;
    EXPECT_EQ(d.beeps, static_cast<int>(refused.size()));
}

TEST(ClassForm, RenameMovesTheFolderOrKeepsTheOldName) {
    WorkFolder work(L"class-rename");
    startup_test::write_office_ids();
    Library lib;
    const std::int32_t with_folder = lib.category(1, 1, u"가");
    const std::int32_t without = lib.category(2, 2, u"나");
    const std::int32_t held = lib.category(3, 3, u"다");
    lib.document({});
    lib.close();
    const std::wstring root = work.file(L"myOFFICE") + L"\\";
    const auto folder = [&](std::u16string_view n) { return root + rt::wide(K(n)); };
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(folder(u"가").c_str(), nullptr);
    startup_test::write_file(folder(u"가") + L"\\a.txt", "a");
    CreateDirectoryW(folder(u"다").c_str(), nullptr);
    // The folder held open by another program, as a file in use holds it on Windows.
    HANDLE open = CreateFileW(folder(u"다").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    uitest::ScriptDriver d;
    const auto rename = [](int row) {
        return [row](const View& v) {
            v.tree().select(v.w, static_cast<int>(velquin::Ctl::TREE), row);
            v.w.post(rt::EventKind::accepted, velquin::Ctl::TREECHANGE);
        };
    };
    run_steps(d,
              {rename(4), rename(5), rename(6),
               [&](const View& v) {
                   d.message_answers = {1, 1};
                   rename(4)(v); // keeping the name is taking a name: refused, then cancelled
               },
               [&](const View& v) {
                   EXPECT_EQ(ACTION, 2);
                   EXPECT_EQ(v.tree_rows(), (std::vector<std::string>{" 오피스문서 관리", "편집일순", "목차순", "가2",
                                                                      "나2", "다", "휴지통"}));
               }},
              {name(K(u"가2")), name(K(u"나2")),
               [&](rt::Window& w) {
                   d.message_answers = {1};
                   name(K(u"다2"))(w);
               },
               name(K(u"가2")), name(K(u"가2"), Ctl::CANCEL)});
    CloseHandle(open);
    EXPECT_TRUE(exists(folder(u"가2") + L"\\a.txt"));
    EXPECT_FALSE(exists(folder(u"가")));
    EXPECT_FALSE(exists(folder(u"나2")));
    EXPECT_TRUE(exists(folder(u"다")));
    ASSERT_GE(d.messages.size(), 2u);
    EXPECT_EQ(u8(d.messages[0].text),
              " 링크파일을 저장한 폴더명을 변경할 수 없습니다. 폴더내 파일이 사용중이 아닌지 점검해 보세요.");
    EXPECT_EQ(u8(d.messages[1].text), "동일한 이름의 분류가 이미 있습니다. 다른 이름을 입력하세요");
    lib.reopen();
    for (auto [pos, subj] : {std::pair{with_folder, "가2"}, {without, "나2"}, {held, "다"}}) {
        lib.get(pos);
        EXPECT_EQ(u8(OFC.SUBJ.clip()), subj);
    }
}

} // namespace
