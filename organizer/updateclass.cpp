#ifdef _WIN32

#include "organizer/updateclass.h"

#include "organizer/globals.h"
#include "organizer/names.h"
#include "organizer/office.h"
#include "organizer/standard.h"
#include "organizer/texts.h"
#include "runtime/files.h"
#include "runtime/prompt.h"
#include "runtime/text.h"

#include <memory>
#include <string>

namespace velquin {

namespace {

using classform::Ctl;

// The highest number a category may have: 10000 is the trash's.
constexpr int LAST_CATEGORY = 9999;

class CLASSFORM {
public:
    explicit CLASSFORM(std::int16_t sort) : SORT(sort) {}
    void run();

private:
    bool SETUPSCREEN(); // false when the form ends before it is used
    bool name_fits();   // the 30-byte rule
    bool name_is_new(); // not a folder name that leaves the link root, not in GNODE
    void write();
    bool PUT_OFFICE(rt::Status& written); // false when the form ended on a folder that could not be renamed

    std::int16_t SORT;
    rt::Fixed<30> PRE_SUBJ;
    std::unique_ptr<rt::Window> window_;
};

rt::WindowDesc description() {
    rt::WindowDesc w;
    w.title = "Update QUE";
    w.font = "Gulim";
    w.at = {rt::unchanged, rt::unchanged, 190, 58};
    w.controls = {
        rt::control(Ctl::OFC_SUBJ, rt::Kind::entry, {42, 10, 138, 13}),
        rt::control(Ctl::CNAME0, rt::Kind::prompt, {10, 12, 30, 10}, "Name"),
        rt::control(Ctl::OK, rt::Kind::button, {70, 34, 52, 16}, "Save"),
        rt::control(Ctl::CANCEL, rt::Kind::button, {128, 34, 52, 16}, "Cancel"),
    };
    return w;
}

void CLASSFORM::run() {
    window_ = std::make_unique<rt::Window>(description());
    rt::Window& w = *window_;
    w.open();
    if (!SETUPSCREEN()) {
        w.close();
        return;
    }
    w.set_text(Ctl::OFC_SUBJ, OFC.SUBJ.clip());
    w.focus(Ctl::OFC_SUBJ);
    while (const rt::Event e = w.accept()) {
        if (e.kind != rt::EventKind::accepted) continue;
        switch (static_cast<Ctl>(e.control)) {
        case Ctl::OFC_SUBJ:
            OFC.SUBJ = w.text(Ctl::OFC_SUBJ);
            name_fits();
            break;
        case Ctl::OK:
            OFC.SUBJ = w.text(Ctl::OFC_SUBJ);
            if (!name_fits() || !name_is_new()) break;
            write();
            w.close();
            break;
        case Ctl::CANCEL:
            w.close();
            break;
        default:
            break;
        }
    }
}

bool CLASSFORM::SETUPSCREEN() {
    rt::Window& w = *window_;
    w.set_title(k(u"문서분류"));
    w.set_text(Ctl::CNAME0, k(u"분류명"));
    w.set_text(Ctl::OK, k(u"확 인"));
    w.set_text(Ctl::CANCEL, k(u"취 소"));
    if (ACTION == 2) {
        PRE_SUBJ = OFC.SUBJ;
        return true;
    }
    // A new category is numbered after the highest number given so far.
    rt::Status last = OFFICE.set(OFC_RECORD::TREE_KEY);
    if (last) last = OFFICE.previous();
    int number = 1;
    if (last) {
        number = OFC.TREE + 1;
    } else if (!last.end()) {
        // A failed read is not an empty library: numbering from 1 would give a number twice.
        rt::stop(rt::error_text());
        return false;
    }
    if (number > LAST_CATEGORY) {
        rt::beep();
        rt::message(k(u"문서분류는 최대 10,000개 까지만 등록할 수 있습니다."));
        return false;
    }
    OFFICE.clear();
    OFC.TREE = static_cast<std::int16_t>(number);
    OFC.LEVEL = 1;
    OFC.SORT = SORT;
    return true;
}

bool CLASSFORM::name_fits() {
    return OFC.SUBJ.clip().size() <= GNODE_ROW{}.NODENAME.size() ||
           refuse_entry(*window_, Ctl::OFC_SUBJ, k(u"분류명은 최대 30자(한글15자) 까지만 입력하세요"));
}

bool CLASSFORM::name_is_new() {
    // The name is the name of the category's folder below the link root.
    if (bad_path_name(OFC.SUBJ.view()))
        return refuse_entry(*window_, Ctl::OFC_SUBJ,
                            k(u"분류명은 링크파일 폴더명으로 쓰입니다. 빈 이름, 마침표나 공백으로 끝나는 이름, "
                              u"\\ / : * ? \" < > ") +
                                rt::SHOWN_BAR +
                                k(u" 가 들어간 이름, CON PRN AUX NUL COM1~COM9 LPT1~LPT9 같은 장치 이름은 쓸 수 "
                                  u"없습니다."));
    // Every category, those in the trash too, and "분류없음". Folder names ignore the case of Latin letters, so
    // names that differ only in it would share one folder.
    const std::string name = rt::upper(OFC.SUBJ.clip());
    for (std::size_t n = 1; n <= GNODE.records(); ++n) {
        if (rt::upper(GNODE.row(n).NODENAME.clip()) == name)
            return refuse_entry(*window_, Ctl::OFC_SUBJ,
                                k(u"동일한 이름의 분류가 이미 있습니다. 다른 이름을 입력하세요"));
    }
    return true;
}

void CLASSFORM::write() {
    rt::Status written;
    if (ACTION == 1)
        written = OFFICE.add();
    else if (!PUT_OFFICE(written))
        return;
    if (written)
        ACTION = 0;
    else
        rt::stop(rt::error_text());
}

bool CLASSFORM::PUT_OFFICE(rt::Status& written) {
    const rt::FolderTree links(GLO.DBPATH.view());
    const std::string from = rt::join_path(links.root(), PRE_SUBJ.view()), to = rt::join_path(links.root(), OFC.SUBJ.view());
    // An old name that was never a proper folder name names no folder of this category: nothing is moved.
    const bool moved = !bad_path_name(PRE_SUBJ.view()) && rt::folder_exists(from);
    if (moved && !links.move(from, to).ok()) {
        rt::beep();
        rt::message(k(u" 링크파일을 저장한 폴더명을 변경할 수 없습니다. 폴더내 파일이 사용중이 아닌지 점검해 보세요."));
        return false;
    }
    written = OFFICE.put();
    // The record keeps the old name: so does the folder, or its files would no longer be found.
    if (!written && moved) (void)links.move(to, from);
    return true;
}

} // namespace

void UPDATECLASS(std::int16_t SORT) {
    CLASSFORM(SORT).run();
}

} // namespace velquin

#endif
