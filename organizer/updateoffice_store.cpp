// The document form's storing routines and the linked files on disk: ADD_OFFICE, PUT_OFFICE, DELETE_OFFICE,
// FILEPROCESS, DELQ_FILE and RUN_AFILE.
#ifdef _WIN32

#include "organizer/updateoffice.h"

#include "organizer/doclist.h"
#include "organizer/names.h"
#include "organizer/office.h"
#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/launch.h"
#include "runtime/listbox.h"
#include "runtime/picture.h"
#include "runtime/prompt.h"

#include <windows.h>

#include <string>
#include <vector>

namespace velquin {

namespace {

std::string k(std::u16string_view text) {
    return rt::to_cp949(text);
}

std::string link_root() {
    return GLO.DBPATH.clip();
}

// Every changing file operation of the form goes through the guard of the link root.
rt::FolderTree links() {
    return rt::FolderTree(GLO.DBPATH.view());
}

// The shell's file explorer, which opens a file with the program registered for its type.
std::string explorer() {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return rt::narrow(folder) + "\\explorer.exe";
}

} // namespace

std::optional<std::string> UPDATEOFFICE::name_of(std::int16_t node) const {
    for (std::size_t n = 1; n <= GNODE.records(); ++n)
        if (GNODE.row(n).NODE == node) return GNODE.row(n).NODENAME.clip();
    return std::nullopt;
}

std::optional<std::string> UPDATEOFFICE::folder_of(std::int16_t node) const {
    return link_folder(node);
}

// A stored name that may not be a file's (a library from elsewhere) is never joined to a path.
bool UPDATEOFFICE::usable_link(std::string_view name) const {
    if (!bad_path_name(name)) return true;
    rt::message("[" + rt::clip(name) + k(u"] 링크는 파일명으로 쓸 수 없는 이름이라 이 링크의 파일은 그대로 둡니다."));
    return false;
}

const LinkIndex& UPDATEOFFICE::linked_files() {
    if (!index_) index_.emplace();
    return *index_;
}

bool UPDATEOFFICE::body_fits() {
    const std::size_t n = RTEXT.find('\0') == std::string::npos ? RTEXT.size() : RTEXT.find('\0');
    if (n <= BODY_LIMIT) return true;
    rt::message(k(u" 편집창 내용이 너무 많습니다. 편집창은 최대 2,000,000 까지만 사용할 수 있습니다.| 현재 용량은 ") +
                rt::format(static_cast<double>(n), "n10") +
                k(u" 입니다.| 내용이 많으면 오피스 첨부문서를 사용하시기 바랍니다."));
    return false;
}

// The embedded document and the body into the record's large fields (stored by the add or put that follows).
void UPDATEOFFICE::store_object() {
    if (!OFC.EXT.blank()) {
        const std::string bytes = object_bytes();
        OFFICE.set_blob(OFC_RECORD::OBJECT, bytes);
        OFC.SIZE = static_cast<std::int32_t>(bytes.size());
        if (OFC.SIZE == 0) OFC.EXT.clear();
    } else {
        OFFICE.set_blob(OFC_RECORD::OBJECT, {});
        OFC.SIZE = 0;
    }
    OFFICE.set_blob(OFC_RECORD::NOTE, std::string_view(RTEXT.c_str()));
}

// Files are changed only after the record that describes them was written: before it, new files are copied
// beside the others (and removed again when the write fails), and nothing that is there is touched.
void UPDATEOFFICE::ADD_OFFICE() {
    if (!body_fits()) return;
    OFC.DATE = rt::today();
    OFC.TIME = rt::clock();
    OFC.CDATE = OFC.DATE;
    index_.reset();
    FILEPROCESS();
    store_object(); // after FILEPROCESS, whose look at the library's links rereads the current record
    if (!OFFICE.add()) {
        // Not stored: the form stays open, and the main window adds no row for it.
        undo_copies();
        rt::stop(rt::error_text());
        return;
    }
    finish_copies();
    ACTION = 0;
}

void UPDATEOFFICE::PUT_OFFICE() {
    if (!body_fits()) return;
    OFC.DATE = rt::today();
    OFC.TIME = rt::clock();
    index_.reset();
    // The stored files lie in the folder of the category the document had; new files go straight to the one it
    // gets.
    const std::optional<std::string> source = document_folder(PRENODE, OFC.SORT);
    std::int16_t N = OFC.NODE;
    bool stays_open = false;
    if (N != PRENODE && N != 0 && Q1.records() > 0) {
        const std::string name = name_of(N).value_or("");
        const std::string folder = rt::join_path(link_root(), name);
        if (!rt::folder_exists(link_root())) (void)rt::make_folder(link_root());
        if (bad_path_name(name) || (!rt::folder_exists(folder) && !links().make_folder(folder).ok())) {
            rt::message(k(u"폴더: [") + name + k(u"] 를 만들 수 없습니다. 문서분류 변경을 취소하고 저장합니다"));
            N = PRENODE;
            stays_open = true;
        }
    }
    OFC.NODE = N;
    if (source) keep_renames_possible(*source);
    FILEPROCESS();
    store_object();
    if (!OFFICE.put()) {
        undo_copies();
        rt::stop(rt::error_text());
        return;
    }
    index_.reset();
    finish_copies();
    if (source) {
        RENAME_FILES(*source);
        DELQ_FILE(*source);
        if (N != PRENODE) MOVE_FILES(*source, N);
    }
    DELQ.free();
    renamed_.clear();
    if (stays_open) {
        select_category(PRENODE);
        return;
    }
    ACTION = 0;
}

// The stored files (rows without a chosen file) into the folder of the new category. A file that another
// document links in the old folder stays there for it, and the document gets a copy.
void UPDATEOFFICE::MOVE_FILES(std::string_view source, std::int16_t category) {
    const std::optional<std::string> target = folder_of(category);
    if (!target || rt::upper(*target) == rt::upper(source)) return;
    TARGETPATH = *target;
    SOURCEPATH = source;
    for (std::size_t i = 1; i <= std::min<std::size_t>(Q1.records(), 10); ++i) {
        const Q1_ROW& row = Q1.row(i);
        if (row.AFILE.blank() || !row.APATH.blank() || !usable_link(row.AFILE.view())) continue;
        const std::string from = rt::join_path(source, row.AFILE.view()), to = rt::join_path(*target, row.AFILE.view());
        const rt::FileResult done = linked_files().linked(source, row.AFILE.view()) ? links().copy_file(from, to)
                                                                                   : links().move(from, to);
        if (!done.ok()) {
            rt::beep();
            rt::message(row.AFILE.clip() + k(u" 파일을 이동할 수 없습니다. 사용중이거나 변경폴더에 동일파일명이 "
                                             u"있습니다. 이 파일은 건너뜁니다."));
        }
    }
}

void UPDATEOFFICE::FILEPROCESS() {
    std::size_t stored = 0; // slots written so far: stored entries go without gaps
    const std::size_t rows = std::min<std::size_t>(Q1.records(), 10);
    for (std::size_t i = 1; i <= rows; ++i) {
        Q1.get(i);
        if (!Q1.APATH.blank() && !store_entry_file(Q1.AFILE.clip())) continue;
        OFC.AFILE[stored] = Q1.AFILE;
        OFC.AREMARK[stored] = Q1.AREMARK;
        ++stored;
    }
    for (; stored < 10; ++stored) {
        OFC.AFILE[stored].clear();
        OFC.AREMARK[stored].clear();
    }
}

// Copies the file chosen for Q1's current row into the folder of OFC:NODE under the row's name; false (after its
// message) when the entry is to be left out. A file that is there already is replaced only once the record is
// written (finish_copies), and never one that another document links.
bool UPDATEOFFICE::store_entry_file(std::string_view afile) {
    if (!usable_link(afile)) return false;
    const std::string root = link_root();
    if (!rt::folder_exists(root)) {
        const rt::FileResult made = rt::make_folder(root);
        if (!made.ok()) {
            rt::beep();
            rt::message(root + k(u" 폴더를 만들 수 없습니다. 에러:") + made.text() + k(u" 링크를 건너 뜁니다."));
            return false;
        }
    }
    if (OFC.NODE < 1) {
        TARGETPATH = root;
    } else {
        const std::optional<std::string> name = name_of(OFC.NODE);
        if (!name) {
            rt::message(k(u"문서분류를 찾을 수 없습니다. 파일:") + std::string(afile) + k(u" 링크를 건너 뜁니다."));
            return false;
        }
        const std::string folder = rt::join_path(root, *name);
        const bool usable = !bad_path_name(*name);
        if (!usable || !rt::folder_exists(folder)) {
            const rt::FileResult made = usable ? links().make_folder(folder) : rt::FileResult{ERROR_INVALID_NAME};
            if (!made.ok()) {
                rt::message(k(u"폴더:") + *name + k(u" 를 만들 수 없습니다. 링크를 건너 뜁니다. 에러:") + made.text());
                return false;
            }
        }
        TARGETPATH = folder;
    }
    const std::string source = Q1.APATH.clip();
    const std::string target = rt::join_path(TARGETPATH.clip(), afile);
    if (source == target || rt::same_file(source, target)) {
        rt::message(k(u"동일폴더의 파일임.. 이 경우는 건너뛰자.. 확인 테스트 해볼것 "));
        return false;
    }
    std::string copy = target;
    if (rt::path_exists(target)) {
        switch (rt::message(k(u"동일한 이름의 파일이 이미 있습니다. 어떻해?"), k(u"확인"), rt::Icon::exclamation,
                            k(u"덮어씀|그냥두고 링크만|취소"), 1, rt::Modal::program, rt::BoxText::selectable)) {
        case 1:
            if (linked_files().linked(TARGETPATH.view(), afile, ACTION == 2 ? OFFICE.position() : 0)) {
                rt::message(std::string(afile) +
                            k(u" 파일은 다른 문서도 링크하고 있어 덮어쓸 수 없습니다. 링크를 건너 뜁니다."));
                return false;
            }
            for (int n = 1; rt::path_exists(copy = target + "." + std::to_string(n) + ".tmp"); ++n) {
            }
            break;
        case 2:
            return true;
        default:
            return false;
        }
    }
    const rt::FileResult copied = links().copy_file(source, copy);
    if (!copied.ok()) {
        rt::message(k(u"링크파일: ") + std::string(afile) + k(u" 복사에러 : ") + copied.text() + k(u"- 건너 뜁니다"));
        return false;
    }
    if (copy == target)
        made_.push_back(target);
    else
        replacing_.emplace_back(copy, target);
    return true;
}

void UPDATEOFFICE::undo_copies() {
    for (const std::string& f : made_)
        (void)links().remove_file(f);
    for (const auto& [copy, target] : replacing_)
        (void)links().remove_file(copy);
    made_.clear();
    replacing_.clear();
}

void UPDATEOFFICE::finish_copies() {
    for (const auto& [copy, target] : replacing_) {
        const rt::FileResult replaced = links().move(copy, target, true);
        if (!replaced.ok()) {
            (void)links().remove_file(copy);
            rt::message(k(u"덮어쓰기 에러 :") + replaced.text());
        }
    }
    made_.clear();
    replacing_.clear();
}

// Removes one linked file; a missing file or folder is passed over, any other failure told.
void UPDATEOFFICE::remove_linked(std::string_view folder, std::string_view name) {
    TARGETPATH = folder;
    const rt::FileResult removed = links().remove_file(rt::join_path(folder, name));
    if (removed.ok() || removed.missing()) return;
    rt::beep();
    rt::message(rt::clip(name) + k(u" 에 접근이 거부 되었습니다.|| 나중에 탐색기 등으로 직접 삭제하세요. 나머지 "
                                   u"삭제작업을 계속합니다."));
}

// The files of dropped links, after the record was written: one that a document links (this one too, as it
// was written, or by one of its rows) stays.
void UPDATEOFFICE::DELQ_FILE(std::string_view folder) {
    for (std::size_t i = 1; i <= DELQ.records(); ++i) {
        const std::string name = DELQ.row(i).DFILE.clip();
        if (!usable_link(name) || linked_files().linked(folder, name)) continue;
        bool kept = false;
        for (std::size_t r = 1; r <= Q1.records() && !kept; ++r)
            kept = Q1.row(r).APATH.blank() && rt::upper(Q1.row(r).AFILE.clip()) == rt::upper(name);
        if (!kept) remove_linked(folder, name);
    }
}

// The name under which a row's file lies in the folder: the stored name of a link renamed in the form.
std::string UPDATEOFFICE::stored_name(std::string_view name) const {
    for (const auto& [from, to] : renamed_)
        if (to == rt::clip(name)) return from;
    return rt::clip(name);
}

// A stored file may take the new name when no other file has it (the same file spelt in another case is no
// other); when one has, the user is told.
bool UPDATEOFFICE::rename_allowed(std::string_view folder, std::string_view from, std::string_view to) const {
    const std::string target = rt::join_path(folder, to);
    if (!rt::path_exists(target) || rt::same_file(rt::join_path(folder, from), target)) return true;
    rt::message("[" + rt::clip(to) + k(u"] 파일이 이미 있어서 [") + rt::clip(from) + k(u"] 의 이름을 바꿀 수 없습니다."));
    return false;
}

// Before the record is written: a rename whose name another file took meanwhile is given up, and the link keeps
// its file's name.
void UPDATEOFFICE::keep_renames_possible(std::string_view folder) {
    for (std::size_t i = 0; i < renamed_.size();) {
        const auto [from, to] = renamed_[i];
        if (bad_path_name(from) || rename_allowed(folder, from, to)) {
            ++i;
            continue;
        }
        for (std::size_t r = 1; r <= Q1.records(); ++r) {
            Q1.get(r);
            if (Q1.APATH.blank() && Q1.AFILE == to) {
                Q1.AFILE = from;
                Q1.put();
                list_->refresh();
                break;
            }
        }
        renamed_.erase(renamed_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

// After the record was written: each renamed link's file takes the link's new name; a file that another
// document links keeps its name for it, and this one gets a copy.
void UPDATEOFFICE::RENAME_FILES(std::string_view folder) {
    for (const auto& [from, to] : renamed_) {
        if (!usable_link(from)) continue;
        const std::string source = rt::join_path(folder, from), target = rt::join_path(folder, to);
        const rt::FileResult done = linked_files().linked(folder, from) ? links().copy_file(source, target)
                                                                         : links().move(source, target);
        if (!done.ok() && !done.missing())
            rt::message(from + k(u" 파일의 이름을 ") + to + k(u" (으)로 바꿀 수 없습니다. 에러:") + done.text());
    }
}

void UPDATEOFFICE::DELETE_OFFICE() {
    if (OFC.NODE == TRASH) {
        // The record goes first: when it cannot be deleted, every file stays.
        const std::optional<std::string> folder = folder_of(OFC.SORT);
        if (!OFFICE.del()) {
            rt::message(k(u"휴지통에서 삭제 에러:") + rt::error_text());
            return;
        }
        index_.reset();
        for (std::size_t i = 1; folder && i <= std::min<std::size_t>(Q1.records(), 10); ++i) {
            const std::string name = Q1.row(i).AFILE.clip();
            if (name.empty() || !usable_link(name) || linked_files().linked(*folder, name)) continue;
            remove_linked(*folder, name);
        }
        ACTION = 0;
        return;
    }
    // A failed move leaves the buffer as it was, so that another try trashes the same document.
    const OFC_RECORD before = OFC;
    OFC.DATE = rt::today();
    OFC.TIME = rt::clock();
    OFC.SORT = OFC.NODE;
    OFC.NODE = TRASH;
    if (!OFFICE.put()) {
        const std::string text = rt::error_text();
        OFC = before;
        rt::message(k(u"휴지통 이동 에러:") + text);
        return;
    }
    rt::message(k(u"휴지통으로 이동했습니다."));
    ACTION = 0;
}

void UPDATEOFFICE::RUN_AFILE() {
    const int row = list_->selection(*window_, static_cast<int>(Ctl::LIST1));
    if (row <= 0) return;
    Q1.get(static_cast<std::size_t>(row));
    if (rt::error_code() != 0) return;
    std::string path;
    if (ACTION == 1 || !Q1.APATH.blank()) {
        // Not copied yet: the file is opened where the user picked it.
        path = Q1.APATH.clip();
    } else {
        std::string folder = link_root();
        if (OFC.NODE > 0) {
            const std::optional<std::string> name = name_of(OFC.NODE);
            if (!name) {
                rt::message(k(u"문서분류를 찾을 수 없습니다. ") + Q1.AFILE.clip() + k(u" 를 열수 없습니다."));
                return;
            }
            folder = rt::join_path(folder, *name);
        }
        path = rt::join_path(folder, Q1.AFILE.clip());
        if (bad_path_name(Q1.AFILE.view()) || !links().holds(path)) {
            rt::message("[" + Q1.AFILE.clip() + k(u"] 링크는 파일명으로 쓸 수 없는 이름이라 열 수 없습니다."));
            return;
        }
    }
    if (!rt::path_exists(path)) {
        rt::message(k(u"링크파일을 찾을 수 없습니다: ") + path);
        return;
    }
    TARGETPATH = path;
    rt::start_program(explorer(), path);
}

} // namespace velquin

#endif
