// The main window's category tree and trash: building the tree, its right-click menu, moving categories,
// trashing, restoring and deleting them, and restoring a trashed document.
#ifdef _WIN32

#include "organizer/browseoffice.h"

#include "organizer/doclist.h"
#include "organizer/linkfiles.h"
#include "organizer/office.h"
#include "organizer/texts.h"
#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/listbox.h"
#include "runtime/prompt.h"
#include "runtime/text.h"
#include "runtime/treebox.h"

#include <windows.h>

#include <climits>
#include <string>
#include <vector>

namespace velquin {

namespace {

const char16_t* const NO_CATEGORY = u"해당분류를 찾을 수 없습니다.";

void add_tree_row(TREE_QUEUE& tree, std::u16string_view name, std::int32_t icon, std::int32_t level,
                  std::int16_t number) {
    tree.NODENAME = name;
    tree.ICONFIELD = icon;
    tree.TREELEVEL = level;
    tree.TREENO = number;
    tree.TSORT = number;
    tree.POINTER = 0;
    tree.add();
}

} // namespace

void BROWSEOFFICE::SET_TREE() {
    // The row chosen now is chosen again afterwards, found by its number (the root when it is gone), so that
    // the selection and the row buffer still name the row whose view the list shows.
    const std::int16_t chosen = get_tree_selection() ? TREE.TREENO : ROOT_ROW;
    TREE.free();
    GNODE.free();
    GND.NODE = 0;
    GND.NODENAME = u"분류없음";
    GND.SORT = 0;
    GNODE.add();

    // The tree key holds the categories only, in number order.
    rt::Status scan = OFFICE.set(OFC_RECORD::TREE_KEY);
    if (scan) scan = OFFICE.next();
    for (; scan; scan = OFFICE.next()) {
        TREE.NODENAME = OFC.SUBJ.view(); // cut to 30 bytes
        TREE.ICONFIELD = 4;
        TREE.TREELEVEL = OFC.LEVEL;
        TREE.TREENO = OFC.TREE;
        TREE.TSORT = OFC.SORT;
        TREE.POINTER = OFFICE.position();
        TREE.add();
        GND.NODE = OFC.TREE;
        GND.NODENAME = OFC.SUBJ.view();
        GND.SORT = OFC.SORT;
        GNODE.add();
    }
    // A scan stopped by an error shows the categories read so far, and says so once the tree is up.
    const std::string stopped_by = scan.end() ? std::string() : rt::error_text();
    add_tree_row(TREE, u" 오피스문서 관리", 1, 0, ROOT_ROW);
    add_tree_row(TREE, u"편집일순", 2, 1, DATE_VIEW);
    add_tree_row(TREE, u"목차순", 3, 1, INDEX_VIEW);
    add_tree_row(TREE, u"휴지통", 5, 1, TRASH);
    // Stable: categories with the same place stay in number order.
    TREE.sort(rt::order(rt::asc(&TREE_ROW::TSORT)));

    tree_->set_line_height(14);
    tree_->set_icons({"home.ico", "index.ico", "tree1.ico", "folder16.ico", "trash.ico"});
    tree_->refresh();
    std::size_t row = 1;
    for (std::size_t n = 1; n <= TREE.records(); ++n)
        if (TREE.row(n).TREENO == chosen) {
            row = n;
            break;
        }
    select_tree_row(row);
    if (!stopped_by.empty()) rt::stop(stopped_by);
}

bool BROWSEOFFICE::get_tree_selection() {
    const int row = tree_->selection(*window_, static_cast<int>(Ctl::TREE));
    if (row <= 0) return false;
    TREE.get(static_cast<std::size_t>(row));
    return rt::error_code() == 0;
}

bool BROWSEOFFICE::get_category(std::int16_t number) {
    OFFICE.clear();
    OFC.TREE = number;
    return OFFICE.get(OFC_RECORD::TREE_KEY).ok();
}

bool BROWSEOFFICE::get_row_category() {
    if (get_category(TREE.TREENO)) return true;
    rt::stop(k(NO_CATEGORY));
    return false;
}

// A category that may be renamed or moved: not a fixed row, the trash or a category in it.
bool BROWSEOFFICE::get_changeable_category() {
    if (!get_tree_selection() || TREE.TREENO < FIXED_ROWS || TREE.TREENO >= TRASH) {
        rt::message(k(u" 수정할 수 없는 노드입니다."));
        return false;
    }
    return get_row_category();
}

// A category-wide write changes everything or nothing: after a failure nothing was written.
bool BROWSEOFFICE::category_failed(CategoryFailure failed) {
    if (failed == CategoryFailure::none) return false;
    rt::stop(failed == CategoryFailure::category_missing ? k(NO_CATEGORY) : rt::error_text());
    return true;
}

// The row buffer follows: the menus and the restore decide by it.
void BROWSEOFFICE::select_tree_row(std::size_t row) {
    tree_->select(*window_, static_cast<int>(Ctl::TREE), static_cast<int>(row));
    if (row >= 1 && row <= TREE.records()) TREE.get(row);
}

// After the tree changed under the list: the list shows the chosen row's view, never documents that are gone.
void BROWSEOFFICE::show_tree_row(std::size_t row) {
    select_tree_row(row);
    TREE_ACCEPTED();
}

void BROWSEOFFICE::select_tree_pointer(std::int32_t pos) {
    for (std::size_t n = 1; n <= TREE.records(); ++n)
        if (TREE.row(n).POINTER == pos) {
            select_tree_row(n);
            return;
        }
}

void BROWSEOFFICE::FIND_GNODE() {
    get_tree_selection();
    GND.NODE = TREE.TREENO;
    GNODE.get_by(&GNODE_ROW::NODE);
    if (rt::error_code() != 0) {
        GND.NODE = 0;
        GND.NODENAME.clear();
    }
}

void BROWSEOFFICE::TREEUPDATE() {
    if (get_tree_selection() && TREE.TSORT > TRASH) {
        switch (rt::popup(k(u"분류 복원|분류 삭제"))) {
        case 1:
            RESTORE_CATEGORY();
            break;
        case 2:
            DELETE_CATEGORY();
            break;
        default:
            break;
        }
        return;
    }
    switch (rt::popup(k(u"분류 추가|분류 수정|분류 삭제|↑위로 이동|↓아래로 이동"))) {
    case 1:
        window_->post(rt::EventKind::accepted, Ctl::TREEINSERT);
        break;
    case 2:
        window_->post(rt::EventKind::accepted, Ctl::TREECHANGE);
        break;
    case 3:
        window_->post(rt::EventKind::accepted, Ctl::TREEDELETE);
        break;
    case 4:
        MOVE_CATEGORY(-1);
        break;
    case 5:
        MOVE_CATEGORY(1);
        break;
    default:
        break;
    }
}

// A category in the trash comes back at the place of its own number, with its documents.
void BROWSEOFFICE::RESTORE_CATEGORY() {
    // After a failure the category and its documents stay in the trash.
    if (!get_row_category() || category_failed(restore_category(OFC.TREE))) return;
    SET_TREE();
    rt::message(k(u"복원 되었습니다."));
    show_tree_row(2);
}

// A category in the trash goes for good: its documents and its record at once, then its folder of linked
// files, so that a failed delete leaves every file.
void BROWSEOFFICE::DELETE_CATEGORY() {
    if (rt::message(k(u"분류와 포함된 문서를 완전히 삭제합니다. 복구할 수 없습니다. "), k(u"주의"),
                    rt::Icon::information, k(u"확인|취소"), 2, rt::Modal::system) != 1)
        return;
    // The folder as the category's name gives it, while the category is still in GNODE.
    const std::optional<std::string> DELPATH = link_folder(TREE.TREENO);
    const std::string name = TREE.NODENAME.clip();
    // Nothing is deleted unless everything is: no document is left without its category.
    switch (delete_category(TREE.TREENO)) {
    case CategoryFailure::none:
        break;
    case CategoryFailure::document:
        rt::beep();
        rt::message(OFC.SUBJ.clip() + k(u" 문서를 삭제할 수 없습니다. 에러=") + rt::error_text());
        return;
    case CategoryFailure::category_missing:
        rt::message(k(NO_CATEGORY));
        return;
    case CategoryFailure::category:
        rt::message(k(u"해당분류를 삭제할 수 없습니다. 에러=") + rt::error_text());
        return;
    case CategoryFailure::file:
        rt::stop(rt::error_text());
        return;
    }
    if (!DELPATH) {
        // A name that may not be a folder's has no folder: nothing on disk is touched for it.
        rt::message("[" + name + k(u"] 분류명은 폴더명으로 쓸 수 없는 이름이라 링크파일 폴더는 그대로 둡니다."));
    } else if (rt::folder_exists(*DELPATH)) {
        // Files that other documents link there (trashed ones of this category, one of a category with the
        // same folder) stay for them.
        const LinkIndex linked;
        const rt::FolderTree links(GLO.DBPATH.view());
        if (!links.remove_folder(*DELPATH, [&](std::string_view f) { return linked.linked(*DELPATH, f); }).ok())
            rt::message(k(u"파일 또는 폴더를 일부 삭제하지 못했습니다.  사용중인 파일이 있는지 확인해 보세요. || "
                          u"탐색기로 해당폴더를 직접 삭제해도 됩니다."));
    }
    SET_TREE();
    show_tree_row(2);
}

void BROWSEOFFICE::MOVE_CATEGORY(int step) {
    if (!get_changeable_category()) return;
    // No other category is renumbered: two categories may share a place.
    OFC.SORT = static_cast<std::int16_t>(OFC.SORT + step);
    if (!OFFICE.put()) {
        rt::stop(rt::error_text());
        return;
    }
    const std::int32_t pos = OFFICE.position();
    SET_TREE();
    select_tree_pointer(pos);
}

void BROWSEOFFICE::TRASH_CATEGORY() {
    if (!get_tree_selection() || TREE.TREENO < FIXED_ROWS || TREE.TREENO == TRASH) {
        rt::message(k(u" 노드를 선택하지 않았거나, 삭제할 수 없는 노드입니다."));
        return;
    }
    if (TREE.TSORT > TRASH) {
        rt::message(k(u" 휴지통 내의 분류는 해당분류를 선택하고 마우스 우클릭으로 복원 또는 완전삭제할 수 있습니다."));
        return;
    }
    if (rt::message(k(u"선택한 문서분류를 삭제하시겠습니까?"), k(u"문서분류 삭제"), rt::Icon::information,
                    k(u"예(Y)|아니오(N)"), 2, rt::Modal::system) != 1) {
        show_tree_row(2);
        return;
    }
    if (!get_row_category()) return;
    // The documents keep their category; their link files stay where they are.
    if (category_failed(trash_category(OFC.TREE))) {
        show_tree_row(2);
        return;
    }
    SET_TREE();
    show_tree_row(2);
}

void BROWSEOFFICE::RESTORE_RECORD() {
    const int row = list_->selection(*window_, static_cast<int>(Ctl::LIST2));
    if (row > 0) Q2.get(static_cast<std::size_t>(row));
    if (row <= 0 || rt::error_code() != 0) {
        rt::message(k(u" 리스트에서 복원할 문서를 먼저 선택하세요 "));
        return;
    }
    if (!OFFICE.get_at(Q2.POINTER)) {
        rt::stop(rt::error_text());
        return;
    }
    get_tree_selection();
    if (TREE.TSORT > TRASH) {
        rt::beep();
        rt::message(k(u"삭제된 분류의 문서는 복원할 수 없습니다.  분류폴더를 먼저 복원해야 합니다."));
        return;
    }
    // Only a document in the trash holds its former category in OFC:SORT; any other would lose its own.
    if (OFC.NODE != TRASH) {
        rt::message(k(u"휴지통에 있는 문서가 아닙니다. 휴지통의 문서만 복원할 수 있습니다."));
        return;
    }
    OFC.DATE = static_cast<std::int32_t>(rt::today());
    OFC.TIME = static_cast<std::int32_t>(rt::clock());
    OFC.NODE = OFC.SORT; // the former category
    OFC.SORT = 0;
    if (!OFFICE.put()) {
        // Not restored: the row stays in the trash view.
        rt::message(k(u"문서를 복원할 수 없습니다. 에러=") + rt::error_text());
        return;
    }
    remove_list_row();
    rt::message(k(u"복원 되었습니다."));
}

} // namespace velquin

#endif
