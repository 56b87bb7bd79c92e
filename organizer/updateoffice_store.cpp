// The document form's storing routines and the linked files on disk: ADD_OFFICE, PUT_OFFICE, DELETE_OFFICE,
// FILEPROCESS, DELQ_FILE and RUN_AFILE.
#ifdef _WIN32

#include "organizer/updateoffice.h"

#include "organizer/doclist.h"
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
    if (node < 1) return link_root();
    const auto name = name_of(node);
    if (!name || !is_own_folder_name(*name)) return std::nullopt;
    return rt::join_path(link_root(), *name);
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

void UPDATEOFFICE::ADD_OFFICE() {
    if (!body_fits()) return;
    store_object();
    OFC.DATE = rt::today();
    OFC.TIME = rt::clock();
    OFC.CDATE = OFC.DATE;
    FILEPROCESS();
    if (!OFFICE.add()) {
        // Not stored: the form stays open, and the main window adds no row for it.
        rt::stop(rt::error_text());
        return;
    }
    ACTION = 0;
}

void UPDATEOFFICE::PUT_OFFICE() {
    if (!body_fits()) return;
    store_object();
    OFC.DATE = rt::today();
    OFC.TIME = rt::clock();
    // Dropped files go from, and new files into, the folder where the document's files lie now.
    const std::int16_t N = OFC.NODE;
    OFC.NODE = PRENODE;
    DELQ_FILE();
    FILEPROCESS();
    OFC.NODE = N;

    bool has_links = false;
    for (const auto& f : OFC.AFILE)
        has_links = has_links || !f.blank();
    if (N != PRENODE && has_links) {
        // A document in the trash keeps its files in the folder of its former category.
        const std::optional<std::string> source = folder_of(PRENODE == TRASH ? OFC.SORT : PRENODE);
        std::optional<std::string> target;
        std::string name;
        if (N == 0) {
            target = link_root();
        } else {
            name = name_of(N).value_or("");
            const std::string folder = rt::join_path(link_root(), name);
            if (!is_own_folder_name(name) || (!rt::folder_exists(folder) && !rt::make_folder(folder).ok())) {
                rt::message(k(u"폴더: [") + name + k(u"] 를 만들 수 없습니다. 문서분류 변경을 취소하고 저장합니다"));
                OFC.NODE = PRENODE;
                if (!OFFICE.put()) rt::stop(rt::error_text());
                select_category(PRENODE);
                return;
            }
            target = folder;
        }
        TARGETPATH = *target;
        // Without a known source folder the files are nowhere to be found: none of another folder is moved.
        if (source) {
            SOURCEPATH = *source;
            for (const auto& f : OFC.AFILE) {
                if (f.blank()) continue;
                if (!rt::move_file(rt::join_path(*source, f.clip()), rt::join_path(*target, f.clip())).ok()) {
                    rt::beep();
                    rt::message(f.clip() + k(u" 파일을 이동할 수 없습니다. 사용중이거나 변경폴더에 동일파일명이 "
                                             u"있습니다. 이 파일은 건너뜁니다."));
                }
            }
        }
    }
    if (!OFFICE.put()) {
        rt::stop(rt::error_text());
        return;
    }
    ACTION = 0;
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
// message) when the entry is to be left out.
bool UPDATEOFFICE::store_entry_file(std::string_view afile) {
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
        if (!rt::folder_exists(folder)) {
            const rt::FileResult made =
                is_own_folder_name(*name) ? rt::make_folder(folder) : rt::FileResult{ERROR_INVALID_NAME};
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
    if (rt::path_exists(target)) {
        switch (rt::message(k(u"동일한 이름의 파일이 이미 있습니다. 어떻해?"), k(u"확인"), rt::Icon::exclamation,
                            k(u"덮어씀|그냥두고 링크만|취소"), 1, rt::Modal::program, rt::BoxText::selectable)) {
        case 1: {
            const rt::FileResult removed = rt::remove_file(target);
            if (!removed.ok()) {
                rt::message(k(u"덮어쓰기 에러 :") + removed.text());
                return false;
            }
            break;
        }
        case 2:
            return true;
        default:
            return false;
        }
    }
    const rt::FileResult copied = rt::copy_file(source, target);
    if (!copied.ok()) {
        rt::message(k(u"링크파일: ") + std::string(afile) + k(u" 복사에러 : ") + copied.text() + k(u"- 건너 뜁니다"));
        return false;
    }
    return true;
}

// Removes one linked file; a missing file or folder is passed over, any other failure told.
void UPDATEOFFICE::remove_linked(std::string_view folder, std::string_view name) {
    TARGETPATH = folder;
    const rt::FileResult removed = rt::remove_file(rt::join_path(folder, name));
    if (removed.ok() || removed.missing()) return;
    rt::beep();
    rt::message(rt::clip(name) + k(u" 에 접근이 거부 되었습니다.|| 나중에 탐색기 등으로 직접 삭제하세요. 나머지 "
                                   u"삭제작업을 계속합니다."));
}

void UPDATEOFFICE::DELQ_FILE() {
    for (std::size_t i = 1; i <= DELQ.records(); ++i) {
        const std::optional<std::string> folder = folder_of(OFC.NODE);
        if (folder) remove_linked(*folder, DELQ.row(i).DFILE.view());
    }
}

void UPDATEOFFICE::DELETE_OFFICE() {
    if (OFC.NODE == TRASH) {
        const std::optional<std::string> folder = folder_of(OFC.SORT);
        for (std::size_t i = 1; i <= std::min<std::size_t>(Q1.records(), 10); ++i)
            if (folder && !Q1.row(i).AFILE.blank()) remove_linked(*folder, Q1.row(i).AFILE.view());
        if (!OFFICE.del()) {
            rt::message(k(u"휴지통에서 삭제 에러:") + rt::error_text());
            return;
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
