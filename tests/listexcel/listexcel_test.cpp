// The spreadsheet export from the main window, with the driver answering the save dialog: the proposed name,
// the naming rules, cancel, the message and the shell, a failed save; the workbooks of the content test are read
// back by outside readers (check_exports.py).
#include "tests/mainwindow/support.h"

#include "organizer/listexcel.h"
#include "organizer/listexcel_rules.h"
#include "runtime/clock.h"
#include "runtime/launch.h"
#include "runtime/picture.h"

#include <deque>

namespace {

using namespace mainwindow_test;
using startup_test::WorkFolder;

constexpr int DATE_ROW = 2, CATEGORY_ROW = 4; // tree rows: the edit-date view and the first category

// The driver, answering the save dialog too. Like the real dialog, it leaves another folder current.
struct ExportDriver : uitest::ScriptDriver {
    std::vector<std::string> save_titles, save_starts, save_filters;
    std::deque<std::string> save_answers; // the chosen names; an empty one cancels
    bool file_save(std::string_view title, std::string& path, std::string_view filter) override {
        save_titles.emplace_back(title);
        save_starts.push_back(path);
        save_filters.emplace_back(filter);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        SetCurrentDirectoryW(temp);
        if (save_answers.empty()) {
            ADD_FAILURE() << "unexpected save dialog";
            return false;
        }
        const std::string a = save_answers.front();
        save_answers.pop_front();
        if (a.empty()) return false;
        path = a;
        return true;
    }
};

// A working folder with the settings, and the export installed.
struct ExportSetup {
    WorkFolder work;
    explicit ExportSetup(const wchar_t* name) : work(name) {
        startup_test::write_office_ids();
        main_procedures().LISTEXCEL = LISTEXCEL;
    }
    ~ExportSetup() {
        main_procedures().LISTEXCEL = nullptr;
    }
};

// The first bytes of a file: a compound file (.xls) or a zip (.xlsx).
std::string kind_of(const std::wstring& path) {
    const std::string head = startup_test::read_file(path).substr(0, 4);
    return head == "\xD0\xCF\x11\xE0" ? "xls" : head == "PK\x03\x04" ? "xlsx" : "none";
}

std::size_t files_in(const std::wstring& dir) {
    std::size_t n = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do
        n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}

// Runs one export per answer from the tree row, returning to it each time.
void export_each(ExportDriver& d, int tree_row, std::size_t times, std::function<void(const View&)> before = {}) {
    std::vector<Step> steps{[tree_row](const View& v) { v.choose(tree_row); }};
    if (before) steps.push_back(before);
    for (std::size_t i = 0; i < times; ++i)
        steps.push_back([](const View& v) { v.w.post(rt::EventKind::accepted, Ctl::EXCEL); });
    run_steps(d, std::move(steps));
}

TEST(ListExcel, NamesTheWorkbookByTheRulesAndOpensIt) {
    ExportSetup setup(L"excel-names");
    const WorkFolder& work = setup.work;
    { Library lib; }
    const std::string dir = work.cp949() + "\\";
    const struct {
        std::string chosen, saved, kind;
    } cases[] = {
        {"list", "list.xls", "xls"},
        {K(u"목록 2026"), K(u"목록 2026.xls"), "xls"},
        {"list.xlsx", "list.xlsx", "xlsx"},
        {"LIST2.XLS", "LIST2.XLS", "xls"},
        {"list.xls.txt", "list.xls.txt", "xls"},
        {"list3.xls  ", "list3.xls  ", "xls"}, // the trailing blanks are the platform's to drop
    };
    ExportDriver d;
    d.save_answers.push_back(""); // cancelled first: nothing written, nothing said
    for (const auto& c : cases) {
        d.save_answers.push_back(dir + c.chosen);
        d.message_answers.push_back(1);
    }
    const long day = rt::today();
    export_each(d, DATE_ROW, std::size(cases) + 1);
    ASSERT_EQ(d.save_titles.size(), std::size(cases) + 1);
    EXPECT_EQ(u8(d.save_titles[0]), "저장할 위치를 선택해 주세요.");
    EXPECT_EQ(u8(d.save_filters[0]), "엑셀파일 | *.xls;*.xlsx");
    const std::string start = u8(d.save_starts[0]), prefix = "편집일순_" + rt::format(day, "D11") + "_";
    EXPECT_EQ(start.substr(0, prefix.size()), prefix) << start;
    EXPECT_EQ(start.size(), prefix.size() + 6 + 4) << start;
    EXPECT_EQ(start.substr(start.size() - 4), ".xls") << start;
    EXPECT_EQ(start.substr(prefix.size(), 6).find_first_not_of("0123456789"), std::string::npos) << start;
    ASSERT_EQ(d.messages.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::wstring file = rt::wide(dir + rt::clip(cases[i].saved));
        EXPECT_EQ(kind_of(file), cases[i].kind) << cases[i].chosen;
        // The message names the file in its short form; the shell gets that as its one argument.
        wchar_t shorter[MAX_PATH];
        GetShortPathNameW(file.c_str(), shorter, MAX_PATH);
        EXPECT_EQ(d.messages[i].text, K(u"엑셀파일이 아래 폴더에 생성되었습니다. ||") + rt::narrow(shorter));
    }
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::string last = rt::narrow(std::wstring(windows) + L"\\explorer.exe");
    ASSERT_EQ(d.started.size(), std::size(cases));
    EXPECT_EQ(d.started.back(), rt::command_line(last, d.messages.back().text.substr(
                                                           K(u"엑셀파일이 아래 폴더에 생성되었습니다. ||").size())));
    EXPECT_EQ(files_in(work.path()), std::size(cases) + 2); // the library and the settings beside them
    wchar_t now[MAX_PATH], now_long[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, now);
    GetLongPathNameW(now, now_long, MAX_PATH);
    EXPECT_EQ(std::wstring(now_long), work.path()) << "the current folder is set back, in its short form";
}

TEST(ListExcel, AFailedSaveIsReportedAndNothingOpens) {
    ExportSetup setup(L"excel-failed");
    { Library lib; }
    const std::string missing = setup.work.cp949() + "\\missing\\list.xlsx";
    ExportDriver d;
    d.save_answers.push_back(missing);
    d.message_answers.push_back(1);
    export_each(d, DATE_ROW, 1);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].text.find(K(u"엑셀파일을 저장하지 못했습니다.")), std::string::npos);
    EXPECT_EQ(d.messages[0].text.substr(d.messages[0].text.size() - missing.size()), missing);
    EXPECT_TRUE(d.started.empty()) << "the shell was not asked to open it";
}

// A list longer than an .xls sheet holds is refused for .xls with a word on .xlsx, and nothing is written.
TEST(ListExcel, AListTooLongForXlsIsRefused) {
    ExportSetup setup(L"excel-rows");
    rt::Queue<LISTFORMAT> FQ;
    FQ.NO = 1;
    FQ.NAME = "Title";
    FQ.WIDTH = 50;
    FQ.add();
    rt::Queue<Q2TYPE> Q2;
    for (std::size_t i = 0; i < XLS_BODY_ROWS + 1; ++i) Q2.add();
    const std::string file = setup.work.cp949() + "\\big.xls";
    ExportDriver d;
    d.save_answers.push_back(file);
    d.message_answers.push_back(1);
    {
        uitest::DriverScope scope(d);
        LISTEXCEL("big", FQ, Q2);
    }
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].text.find(K(u"목록이 65,535개보다 많아")), 0u) << u8(d.messages[0].text);
    EXPECT_EQ(kind_of(rt::wide(file)), "none");
    EXPECT_TRUE(d.started.empty());
}

// The list's columns and values as cells; check_exports.py reads the two workbooks it leaves.
TEST(ListExcel, WritesTheListColumnsAndValues) {
    const char* out = std::getenv("VELQUIN_EXPORT_OUT"); // a Unix folder: the Z: drive reaches it
    ExportSetup setup(L"excel-content");
    Library lib;
    lib.category(1, 1, u"보고서");
    lib.document(
        {.node = 1, .date = 82525, .subj = "12", .index = "I-1", .afile1 = "file1.txt", .size = 12000, .ext = "DOC"});
    lib.document({.node = 1, .date = 80000, .subj = "0", .index = "I-2"});
    lib.document({.node = 1, .date = 0, .subj = K(u"2026년 계획"), .index = "I-3"});
    lib.close();
    const std::string dir = out ? "Z:" + std::string(out) + "/" : setup.work.cp949() + "\\";
    ExportDriver d;
    for (const char* name : {"export.xlsx", "export.xls"}) {
        DeleteFileW(rt::wide(dir + name).c_str());
        d.save_answers.push_back(dir + name);
        d.message_answers.push_back(1);
    }
    export_each(d, CATEGORY_ROW, 2, [](const View& v) {
        EXPECT_EQ(u8(v.list().header(3)), "목차");
        v.list().set_width(3, 9); // too narrow to export: the next column takes its place
    });
    EXPECT_EQ(u8(d.save_starts.at(0)).substr(0, 10), "보고서_");
    for (const char* name : {"export.xlsx", "export.xls"})
        EXPECT_NE(kind_of(rt::wide(dir + name)), "none") << name;
}

} // namespace
