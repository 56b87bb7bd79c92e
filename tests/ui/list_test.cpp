// Lists and tree lists over queues in real windows: what the cells show, column properties, header clicks and
// drags, right clicks, selections, many rows; the tree's levels, icons, colours and chosen rows; the file-open
// dialog through the driver.
#include "list_support.h"

#include "runtime/clock.h"
#include "runtime/listbox.h"
#include "runtime/treebox.h"
#include "runtime/picture.h"
#include "runtime/prompt.h"
#include "runtime/queue.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdint>

using namespace uitest;
using rt::EventKind;
using rt::Kind;

namespace {

enum class Ctl { LIST = 1, TREE, CLOSE };

#pragma pack(push, 1)
struct Doc {
    rt::Fixed<20> title;
    std::int32_t day = 0;
    rt::Fixed<4> kind;
    std::uint8_t icon = 0;
    rt::Fixed<8> code;
};
#pragma pack(pop)

const rt::Field doc_fields[] = {
    {"TITLE", rt::FieldType::Text, offsetof(Doc, title), 20}, {"DAY", rt::FieldType::Long, offsetof(Doc, day), 4},
    {"KIND", rt::FieldType::Text, offsetof(Doc, kind), 4},    {"ICON", rt::FieldType::Byte, offsetof(Doc, icon), 1},
    {"CODE", rt::FieldType::Text, offsetof(Doc, code), 8},
};

// Title, date, kind with its icon, code: the kind column follows the date's field (3) and shows field 4's icon;
// the code column follows the icon (5).
std::string doc_format() {
    return K(u"60C|M~제목~@S10@40C|M~날짜~@D10@#2#30L|_MI~종류~@S4@30L(4)~코드~@S8@");
}

rt::WindowDesc list_window() {
    rt::WindowDesc d;
    d.title = K(u"목록 시험");
    d.font = K(u"굴림");
    d.at = {rt::unchanged, rt::unchanged, 260, 200};
    d.controls = {
        rt::control(Ctl::LIST, Kind::list, {4, 4, 252, 90}),
        rt::control(Ctl::TREE, Kind::tree, {4, 98, 252, 80}),
        rt::control(Ctl::CLOSE, Kind::button, {210, 182, 46, 14}, K(u"닫 기")),
    };
    return d;
}

void add_doc(rt::Queue<Doc>& q, std::u16string_view title, long day, std::u16string_view kind, int icon,
             std::string_view code) {
    q.title = K(title);
    q.day = static_cast<std::int32_t>(day);
    q.kind = K(kind);
    q.icon = static_cast<std::uint8_t>(icon);
    q.code = code;
    q.add();
}

rt::Queue<Doc> sample_docs() {
    rt::Queue<Doc> q;
    add_doc(q, u"가나다라마바사", rt::date(2024, 3, 5), u"한글", 2, "A1");
    add_doc(q, u"Report", rt::date(1999, 12, 31), u"XLS", 1, "B22");
    add_doc(q, u"세번째 문서", 0, u"그림", 3, "C333");
    add_doc(q, u"넷", rt::date(2001, 1, 2), u"", 0, "");
    return q;
}

// Three .ico files of different colours, removed with their folder.
struct Icons {
    TempFolder folder{L"velquin-list-icons"};
    std::vector<std::string> names;
    Icons() {
        const COLORREF colours[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 200)};
        for (int i = 0; i < 3; ++i) {
            const std::wstring f = folder.file(L"icon" + std::to_wstring(i + 1) + L".ico");
            write_bytes(f, icon_file_bytes(colours[i]));
            names.push_back(rt::narrow(f));
        }
    }
};

std::wstring shown_text(HWND list, int row, int column) {
    wchar_t buf[256] = {};
    LVITEMW it{};
    it.iSubItem = column; // control column 0 is the placeholder
    it.pszText = buf;
    it.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&it));
    return buf;
}

int shown_image(HWND list, int row, int column) {
    LVITEMW it{};
    it.mask = LVIF_IMAGE;
    it.iItem = row - 1;
    it.iSubItem = column;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    return it.iImage;
}

std::wstring column_header(HWND list, int column, int* fmt = nullptr) {
    wchar_t buf[128] = {};
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_FMT;
    c.pszText = buf;
    c.cchTextMax = 128;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
    if (fmt) *fmt = c.fmt & LVCFMT_JUSTIFYMASK;
    return buf;
}

struct UiList : ::testing::Test {
    rt::Queue<Doc> docs = sample_docs();
    Icons icons;
    rt::Window w{list_window()};
    rt::ListBox& list = rt::ListBox::attach(w, Ctl::LIST, rt::rows_of(docs, doc_fields, std::size(doc_fields)));
    HWND lv = w.handle(Ctl::LIST);

    void SetUp() override {
        list.set_format(doc_format());
        list.set_icons(icons.names);
        list.refresh();
        w.open();
        events_until_idle(w);
    }
};

TEST_F(UiList, ShowsCellsThroughPicturesAndIcons) {
    ASSERT_EQ(list.column_count(), 4);
    EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 4);
    // What the runtime reads and what the control shows.
    EXPECT_EQ(list.cell(1, 1), K(u"가나다라마")) << u8(list.cell(1, 1)); // @S10 cuts at a character boundary
    EXPECT_EQ(shown_text(lv, 1, 1), L"가나다라마") << u8(shown_text(lv, 1, 1));
    EXPECT_EQ(list.cell(2, 1), "Report");
    EXPECT_EQ(shown_text(lv, 1, 2), L"2024/03/05");
    EXPECT_EQ(shown_text(lv, 2, 2), L"1999/12/31");
    EXPECT_EQ(shown_text(lv, 3, 2), L""); // no date
    EXPECT_EQ(shown_text(lv, 1, 3), L"한글");
    // The code column follows the icon field; its indent is a leading margin.
    EXPECT_EQ(list.field(4), 5);
    EXPECT_EQ(list.cell(3, 4), "C333");
    const std::wstring code = shown_text(lv, 3, 4);
    EXPECT_TRUE(code.size() > 4 && code.substr(code.size() - 4) == L"C333" && code[0] == L' ') << u8(code);
    // Icons: the kind column shows its icon field's icon (image n-1), the others none.
    EXPECT_EQ(list.cell_icon(1, 3), 2);
    EXPECT_EQ(list.cell_icon(4, 3), 0);
    EXPECT_EQ(list.cell_icon(1, 1), 0);
    EXPECT_EQ(shown_image(lv, 1, 3), 1);
    EXPECT_EQ(shown_image(lv, 3, 3), 2);
    EXPECT_LT(shown_image(lv, 4, 3), 0);
    EXPECT_LT(shown_image(lv, 1, 2), 0);
    auto* images = reinterpret_cast<HIMAGELIST>(SendMessageW(lv, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_TRUE(images);
    EXPECT_EQ(ImageList_GetImageCount(images), 3);
    // Headers, alignment (the first column too), full-row selection and lines.
    int fmt = -1;
    EXPECT_EQ(column_header(lv, 1, &fmt), L"제목");
    EXPECT_EQ(fmt, LVCFMT_CENTER);
    EXPECT_EQ(column_header(lv, 3), L"종류");
    column_header(lv, 4, &fmt);
    EXPECT_EQ(fmt, LVCFMT_LEFT);
    const auto ex = static_cast<DWORD>(SendMessageW(lv, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
    EXPECT_FALSE(ex & LVS_EX_HEADERDRAGDROP);
    EXPECT_TRUE(GetWindowLongPtrW(lv, GWL_STYLE) & LVS_OWNERDATA);
    EXPECT_EQ(SendMessageW(lv, LVM_GETCOLUMNWIDTH, 1, 0), w.units().x(60));
    EXPECT_EQ(SendMessageW(lv, LVM_GETCOLUMNWIDTH, 0, 0), 0);
}

TEST_F(UiList, ColumnPropertiesReadAndWrite) {
    EXPECT_EQ(list.header(2), K(u"날짜"));
    list.set_header(2, K(u"▲날짜"));
    EXPECT_EQ(list.header(2), K(u"▲날짜"));
    EXPECT_EQ(column_header(lv, 2), L"▲날짜");
    EXPECT_EQ(list.width(1), 60);
    list.set_width(1, 80);
    EXPECT_EQ(list.width(1), 80);
    EXPECT_EQ(SendMessageW(lv, LVM_GETCOLUMNWIDTH, 1, 0), w.units().x(80));
    // As the user leaves it: the width read back in dialog units.
    SendMessageW(lv, LVM_SETCOLUMNWIDTH, 2, w.units().x(55));
    EXPECT_EQ(list.width(2), 55);
    SendMessageW(lv, LVM_SETCOLUMNWIDTH, 1, w.units().x(55));
    // Only the resizable ('M') columns follow a drag of their divider; a divider drag is no drop.
    drag_divider(w, Ctl::LIST, 1, 30);
    std::vector<rt::Event> events = events_until_idle(w);
    EXPECT_TRUE(events.empty()) << describe(events);
    EXPECT_EQ(SendMessageW(lv, LVM_GETCOLUMNWIDTH, 1, 0), w.units().x(55) + 30);
    const LRESULT code_width = SendMessageW(lv, LVM_GETCOLUMNWIDTH, 4, 0);
    drag_divider(w, Ctl::LIST, 4, 30);
    events_until_idle(w);
    EXPECT_EQ(SendMessageW(lv, LVM_GETCOLUMNWIDTH, 4, 0), code_width);
    SendMessageW(lv, LVM_SETCOLUMNWIDTH, 1, w.units().x(80));
    // set_field swaps what the columns show.
    EXPECT_EQ(list.field(1), 1);
    list.set_field(1, 5);
    list.set_field(4, 1);
    EXPECT_EQ(shown_text(lv, 2, 1), L"B22");
    EXPECT_EQ(list.cell(2, 4), "Report");
    EXPECT_EQ(list.picture(2), "D10");
    list.set_picture(2, "D9-");
    EXPECT_EQ(shown_text(lv, 1, 2), L"24-03-05");
    // The layout as a format string, with what changed.
    const std::vector<rt::ListColumn> now = rt::parse_list_format(list.format());
    ASSERT_EQ(now.size(), 4u);
    EXPECT_EQ(now[0].width, 80);
    EXPECT_EQ(now[0].field, 5);
    EXPECT_EQ(now[1].width, 55);
    EXPECT_EQ(now[1].header, K(u"▲날짜"));
    EXPECT_EQ(now[1].picture, "D9-");
    EXPECT_EQ(now[3].field, 1);
    // Columns that do not exist.
    EXPECT_FALSE(list.has_column(5));
    EXPECT_TRUE(list.has_column(4));
    EXPECT_EQ(list.header(5), "");
    EXPECT_EQ(list.width(0), 0);
    EXPECT_EQ(list.field(9), 0);
    EXPECT_EQ(list.cell(9, 1), "");
    list.set_header(7, "x"); // nothing happens
    // A new format replaces every column.
    list.set_format("50L~A~30R~B~");
    EXPECT_EQ(list.column_count(), 2);
    EXPECT_EQ(SendMessageW(list_header(w, Ctl::LIST), HDM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(column_header(lv, 2), L"B");
    EXPECT_EQ(shown_text(lv, 1, 2), std::to_wstring(docs.row(1).day));
}

TEST_F(UiList, HeaderClickIsAlertedWithItsColumn) {
    w.alert(Ctl::LIST, rt::key::mouse_left);
    click_header(w, Ctl::LIST, 2);
    const std::vector<rt::Event> events = events_until_idle(w);
    ASSERT_EQ(events.size(), 1u) << describe(events);
    EXPECT_TRUE(events[0].is(EventKind::alert_key, Ctl::LIST)) << describe(events);
    EXPECT_EQ(events[0].key, rt::key::mouse_left);
    EXPECT_TRUE(list.press_on_header());
    EXPECT_EQ(list.press_column(), 2);
    EXPECT_EQ(list.release_column(), 2);
    // Nothing sorted itself.
    EXPECT_EQ(shown_text(lv, 1, 1), L"가나다라마");
    EXPECT_EQ(shown_text(lv, 2, 1), L"Report");

    click_header(w, Ctl::LIST, 4);
    ASSERT_EQ(events_until_idle(w).size(), 1u);
    EXPECT_EQ(list.press_column(), 4);
    // A click on a row is no press on the header.
    click_row(w, Ctl::LIST, 2, 3);
    const std::vector<rt::Event> row_events = events_until_idle(w);
    EXPECT_FALSE(list.press_on_header());
    EXPECT_EQ(list.press_column(), 3);
    EXPECT_EQ(w.selection(Ctl::LIST), 2);
    bool alerted = false;
    for (const rt::Event& e : row_events)
        alerted = alerted || e.is(EventKind::alert_key, Ctl::LIST);
    EXPECT_TRUE(alerted) << describe(row_events);
}

TEST_F(UiList, HeaderDragToAnotherColumnDrops) {
    drag_header(w, Ctl::LIST, 2, 3);
    std::vector<rt::Event> events = events_until_idle(w);
    ASSERT_EQ(events.size(), 1u) << describe(events);
    EXPECT_TRUE(events[0].is(EventKind::drop, Ctl::LIST)) << describe(events);
    EXPECT_TRUE(list.press_on_header());
    EXPECT_EQ(list.press_column(), 2);
    EXPECT_EQ(list.release_column(), 3);
    // The control did not reorder its columns: the program moves fields itself.
    int order[5] = {};
    SendMessageW(lv, LVM_GETCOLUMNORDERARRAY, 5, reinterpret_cast<LPARAM>(order));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(column_header(lv, 2), L"날짜");

    // Leftwards, and released over the cells of another column.
    drag_header_to_cell(w, Ctl::LIST, 4, 2, 1);
    events = events_until_idle(w);
    ASSERT_EQ(events.size(), 1u) << describe(events);
    EXPECT_TRUE(events[0].is(EventKind::drop, Ctl::LIST));
    EXPECT_EQ(list.press_column(), 4);
    EXPECT_EQ(list.release_column(), 1);

    // Pressed and released on one column: a click, even after moving about.
    drag_header(w, Ctl::LIST, 3, 3);
    events = events_until_idle(w);
    EXPECT_TRUE(events.empty()) << describe(events);
    EXPECT_EQ(list.release_column(), 3);
}

TEST_F(UiList, RightClickSelectsTheRowThenAlerts) {
    w.alert(Ctl::LIST, rt::key::mouse_right);
    ASSERT_EQ(w.selection(Ctl::LIST), 0);
    right_click_row(w, Ctl::LIST, 3, 2);
    const std::vector<rt::Event> events = events_until_idle(w);
    EXPECT_EQ(w.selection(Ctl::LIST), 3);
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(events.back().is(EventKind::alert_key, Ctl::LIST)) << describe(events);
    EXPECT_EQ(events.back().key, rt::key::mouse_right);
    EXPECT_EQ(list.press_column(), 2);
    EXPECT_FALSE(list.press_on_header());
}

TEST_F(UiList, DoubleClickIsAlerted) {
    w.alert(Ctl::LIST, rt::key::mouse_left2);
    double_click_row(w, Ctl::LIST, 2);
    const std::vector<rt::Event> events = events_until_idle(w);
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(events.back().is(EventKind::alert_key, Ctl::LIST)) << describe(events);
    EXPECT_EQ(events.back().key, rt::key::mouse_left2);
    EXPECT_EQ(w.selection(Ctl::LIST), 2);
}

TEST_F(UiList, SelectionByNumber) {
    w.select(Ctl::LIST, 2);
    EXPECT_EQ(w.selection(Ctl::LIST), 2);
    EXPECT_EQ(SendMessageW(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    w.select(Ctl::LIST, 4);
    EXPECT_EQ(w.selection(Ctl::LIST), 4);
    EXPECT_EQ(SendMessageW(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    w.select(Ctl::LIST, 0);
    EXPECT_EQ(w.selection(Ctl::LIST), 0);
    EXPECT_EQ(SendMessageW(lv, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    w.select(Ctl::LIST, 3);
    w.select(Ctl::LIST, 5); // past the last row: none
    EXPECT_EQ(w.selection(Ctl::LIST), 0);
    // The program's selections queue nothing.
    const std::vector<rt::Event> events = events_until_idle(w);
    EXPECT_TRUE(events.empty()) << describe(events);
}

TEST_F(UiList, RefreshAfterTheQueueChanged) {
    w.select(Ctl::LIST, 3);
    docs.get(1);
    docs.del();
    list.refresh();
    EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(w.selection(Ctl::LIST), 3); // the row number stays while it exists
    EXPECT_EQ(shown_text(lv, 1, 1), L"Report");
    docs.get(3);
    docs.del();
    list.refresh();
    EXPECT_EQ(w.selection(Ctl::LIST), 0);

    // 100,000 rows show at once.
    docs.free();
    for (int i = 1; i <= 100000; ++i) {
        docs.title = "row " + std::to_string(i);
        docs.day = static_cast<std::int32_t>(80000 + i % 1000);
        docs.icon = static_cast<std::uint8_t>(i % 4);
        docs.add();
    }
    list.refresh();
    EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 100000);
    w.select(Ctl::LIST, 100000);
    EXPECT_EQ(w.selection(Ctl::LIST), 100000);
    EXPECT_EQ(shown_text(lv, 100000, 1), L"row 100000");
    EXPECT_EQ(list.cell(99999, 2), rt::format(80000 + 99999 % 1000, "D10"));
    w.display();
    EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 100000);
}

TEST_F(UiList, LineHeight) {
    RECT before{};
    before.left = LVIR_BOUNDS;
    SendMessageW(lv, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&before));
    list.set_line_height(20);
    RECT after{};
    after.left = LVIR_BOUNDS;
    SendMessageW(lv, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&after));
    EXPECT_GE(after.bottom - after.top, w.units().y(20)) << "before " << before.bottom - before.top;
}

// --- trees -------------------------------------------------------------------------------------------------------

#pragma pack(push, 1)
struct Node {
    rt::Fixed<16> name;
    std::int32_t fg = -1, bg = -1, sfg = -1, sbg = -1;
    std::int16_t icon = 0;
    std::int16_t level = 0;
};
#pragma pack(pop)

const rt::Field node_fields[] = {
    {"NAME", rt::FieldType::Text, offsetof(Node, name), 16},   {"FG", rt::FieldType::Long, offsetof(Node, fg), 4},
    {"BG", rt::FieldType::Long, offsetof(Node, bg), 4},        {"SFG", rt::FieldType::Long, offsetof(Node, sfg), 4},
    {"SBG", rt::FieldType::Long, offsetof(Node, sbg), 4},      {"ICON", rt::FieldType::Short, offsetof(Node, icon), 2},
    {"LEVEL", rt::FieldType::Short, offsetof(Node, level), 2},
};

const char tree_format[] = "80L*ITE(,,,0C97726H)";

void add_node(rt::Queue<Node>& q, std::u16string_view name, int level, int icon, long fg = -1) {
    q.name = K(name);
    q.level = static_cast<std::int16_t>(level);
    q.icon = static_cast<std::int16_t>(icon);
    q.fg = static_cast<std::int32_t>(fg);
    q.bg = 0xFFF4CF;
    q.sfg = 0xFFFFFF;
    q.sbg = -1;
    q.add();
}

struct UiTree : ::testing::Test {
    rt::Queue<Node> nodes;
    Icons icons;
    rt::Window w{list_window()};
    rt::TreeBox* tree = nullptr;
    HWND tv = w.handle(Ctl::TREE);

    void SetUp() override {
        add_node(nodes, u"전체", 0, 1);           // 1
        add_node(nodes, u"업무", 1, 2, 0x0000FF); // 2
        add_node(nodes, u"회의록", 2, 3);         // 3
        add_node(nodes, u"개인", 1, 2);           // 4
        add_node(nodes, u"휴지통", 0, 3);         // 5
        add_node(nodes, u"깊은", 3, 0);           // 6: deeper than 5's level + 1: under 5
        tree = &rt::TreeBox::attach(w, Ctl::TREE, rt::rows_of(nodes, node_fields, std::size(node_fields)), tree_format);
        tree->set_icons(icons.names);
        w.open();
        events_until_idle(w);
    }
    HTREEITEM item(int n) const { return tree_item(tv, n); }
    HTREEITEM parent(int n) const {
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(tv, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item(n))));
    }
};

TEST_F(UiTree, BuildsByLevelWithIconsExpanded) {
    EXPECT_EQ(SendMessageW(tv, TVM_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(tree->text(3), K(u"회의록"));
    const int levels[] = {0, 1, 2, 1, 0, 1};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(tree->level(static_cast<std::size_t>(n)), levels[n - 1]) << "row " << n;
    EXPECT_EQ(parent(1), nullptr);
    EXPECT_EQ(parent(2), item(1));
    EXPECT_EQ(parent(3), item(2));
    EXPECT_EQ(parent(4), item(1));
    EXPECT_EQ(parent(5), nullptr);
    EXPECT_EQ(parent(6), item(5));
    for (int n = 1; n <= 6; ++n) {
        wchar_t buf[64] = {};
        TVITEMW it{};
        it.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE | TVIF_PARAM;
        it.hItem = item(n);
        it.stateMask = TVIS_EXPANDED;
        it.pszText = buf;
        it.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(tv, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it))) << "row " << n;
        EXPECT_EQ(rt::narrow(buf), tree->text(static_cast<std::size_t>(n))) << "row " << n;
        EXPECT_EQ(it.lParam, n);
        const int icon = nodes.row(static_cast<std::size_t>(n)).icon;
        if (icon > 0) {
            EXPECT_EQ(it.iImage, icon - 1) << "row " << n;
        }
        if (n == 1 || n == 2 || n == 5) {
            EXPECT_TRUE(it.state & TVIS_EXPANDED) << "row " << n;
        }
    }
    tree->set_line_height(12);
    EXPECT_EQ(SendMessageW(tv, TVM_GETITEMHEIGHT, 0, 0), w.units().y(12));
    // The tree's background is the rows' normal background.
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tv, TVM_GETBKCOLOR, 0, 0)), 0xFFF4CFu);
    // Refresh builds it again: nothing chosen.
    w.select(Ctl::TREE, 2);
    nodes.get(6);
    nodes.del();
    tree->refresh();
    EXPECT_EQ(SendMessageW(tv, TVM_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(w.selection(Ctl::TREE), 0);
}

TEST_F(UiTree, TheUsersChoiceIsOneAcceptedEventTheProgramsNone) {
    EXPECT_EQ(w.selection(Ctl::TREE), 0);
    w.select(Ctl::TREE, 3);
    EXPECT_EQ(w.selection(Ctl::TREE), 3);
    std::vector<rt::Event> events = events_until_idle(w);
    EXPECT_TRUE(events.empty()) << describe(events);
    w.select(Ctl::TREE, 0);
    EXPECT_EQ(w.selection(Ctl::TREE), 0);
    w.select(Ctl::TREE, 7);
    EXPECT_EQ(w.selection(Ctl::TREE), 0);
    EXPECT_TRUE(events_until_idle(w).empty());
    // A user's click chooses too.
    click_row(w, Ctl::TREE, 4);
    events = events_until_idle(w);
    EXPECT_EQ(w.selection(Ctl::TREE), 4);
    ASSERT_EQ(events.size(), 1u) << describe(events);
    EXPECT_TRUE(events[0].is(EventKind::accepted, Ctl::TREE));
    // And the keys.
    PostMessageW(tv, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(tv, WM_KEYUP, VK_DOWN, 0);
    events = events_until_idle(w);
    EXPECT_EQ(w.selection(Ctl::TREE), 5);
    ASSERT_EQ(events.size(), 1u) << describe(events);
    EXPECT_TRUE(events[0].is(EventKind::accepted, Ctl::TREE));
}

TEST_F(UiTree, RightClickChoosesTheRowThenAlerts) {
    w.alert(Ctl::TREE, rt::key::mouse_right);
    w.select(Ctl::TREE, 1);
    events_until_idle(w);
    right_click_row(w, Ctl::TREE, 4);
    const std::vector<rt::Event> events = events_until_idle(w);
    EXPECT_EQ(w.selection(Ctl::TREE), 4);
    ASSERT_EQ(events.size(), 2u) << describe(events);
    EXPECT_TRUE(events[0].is(EventKind::accepted, Ctl::TREE)) << describe(events);
    EXPECT_TRUE(events[1].is(EventKind::alert_key, Ctl::TREE)) << describe(events);
    EXPECT_EQ(events[1].key, rt::key::mouse_right);
}

// The colours each row is drawn with: its own fields, the format's defaults where a field holds none.
TEST_F(UiTree, RowColoursFromFieldsAndDefaults) {
    auto drawn = [&](int n, bool selected) {
        NMTVCUSTOMDRAW cd{};
        cd.nmcd.hdr.hwndFrom = tv;
        cd.nmcd.hdr.code = NM_CUSTOMDRAW;
        cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        cd.nmcd.lItemlParam = n;
        cd.nmcd.uItemState = selected ? CDIS_SELECTED : 0;
        cd.clrText = 0x111111;
        cd.clrTextBk = 0x222222;
        LRESULT result = 0;
        EXPECT_TRUE(w.handler(Ctl::TREE)->notify(w, static_cast<int>(Ctl::TREE), cd.nmcd.hdr, result));
        return std::pair<COLORREF, COLORREF>{cd.clrText, cd.clrTextBk};
    };
    EXPECT_EQ(drawn(2, false), std::make_pair(COLORREF{0x0000FF}, COLORREF{0xFFF4CF}));
    EXPECT_EQ(drawn(1, false), std::make_pair(COLORREF{0x111111}, COLORREF{0xFFF4CF})); // no text colour: as is
    EXPECT_EQ(drawn(2, true), std::make_pair(COLORREF{0xFFFFFF}, COLORREF{0xC97726}));  // E(...) selected bg
}

// --- the file-open dialog -----------------------------------------------------------------------------------------

TEST(UiFileOpen, AsksTheDriver) {
    ScriptDriver driver;
    DriverScope scope(driver);
    driver.file_answers = {K(u"C:\\문서\\보관.VL1"), ""};
    std::string path = "C:\\dir\\*.VL1";
    EXPECT_TRUE(rt::file_open(K(u"라이브러리 열기"), path, K(u"벨퀸 파일|.*.VL1")));
    EXPECT_EQ(path, K(u"C:\\문서\\보관.VL1")) << u8(path);
    // Cancelled: false, the path as it was.
    EXPECT_FALSE(rt::file_open(K(u"다시"), path, K(u"벨퀸 파일|.*.VL1")));
    EXPECT_EQ(path, K(u"C:\\문서\\보관.VL1"));
    ASSERT_EQ(driver.file_dialogs.size(), 2u);
    EXPECT_EQ(driver.file_dialogs[0], K(u"라이브러리 열기"));
}

BOOL CALLBACK collect_lists(HWND h, LPARAM lp) {
    if (class_of(h) == WC_LISTVIEWW) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

// The platform's dialog: it lists the files of the filter's pattern (written ".*.VL1") in the starting folder,
// answers the full path of the file chosen, and leaves the current folder as it was.
TEST(UiFileOpen, DialogListsThePatternAndAnswersThePath) {
    TempFolder folder(L"velquin-open");
    write_bytes(folder.file(L"보관.VL1"), "x");
    write_bytes(folder.file(L"other.txt"), "x");
    std::vector<std::wstring> listed;
    BoxCloser closer([&](BoxSeen& box) {
        std::vector<HWND> lists;
        EnumChildWindows(box.hwnd, collect_lists, reinterpret_cast<LPARAM>(&lists));
        for (HWND l : lists)
            for (int i = 0; i < SendMessageW(l, LVM_GETITEMCOUNT, 0, 0); ++i) {
                wchar_t buf[MAX_PATH] = {};
                LVITEMW it{};
                it.pszText = buf;
                it.cchTextMax = MAX_PATH;
                SendMessageW(l, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&it));
                listed.emplace_back(buf);
            }
        SetDlgItemTextW(box.hwnd, 0x47C /* the file name box */, L"보관.VL1");
        PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
    });
    std::string path = rt::narrow(folder.file(L"*.VL1"));
    const std::string before_folder = [] {
        wchar_t cur[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cur);
        return rt::narrow(cur);
    }();
    const bool chosen = rt::file_open(K(u"라이브러리 열기"), path, K(u"벨퀸 파일|.*.VL1"));
    wchar_t after_folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, after_folder);
    EXPECT_EQ(rt::narrow(after_folder), before_folder) << "the dialog left the folder it browsed current";
    SetCurrentDirectoryW(rt::wide(before_folder).c_str());
    ASSERT_TRUE(closer.acted());
    EXPECT_TRUE(closer.seen.caption == L"라이브러리 열기") << u8(closer.seen.caption);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(rt::wide(path), folder.file(L"보관.VL1")) << u8(path);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].substr(0, 2), L"보관") << u8(listed[0]);
}

} // namespace
