#ifdef _WIN32

#include "organizer/filelink.h"

#include "organizer/globals.h"
#include "organizer/names.h"
#include "organizer/standard.h"
#include "runtime/files.h"
#include "runtime/prompt.h"

#include <string>

namespace velquin {

namespace {
std::string k(std::u16string_view text) {
    return rt::to_cp949(text);
}
} // namespace

rt::WindowDesc FILELINK::description() {
    using rt::Kind;
    rt::WindowDesc w;
    w.title = "Update QUE";
    w.font = "Gulim";
    w.font_size = 9;
    w.at = {rt::unchanged, rt::unchanged, 343, 94};
    auto& c = w.controls;
    c.push_back(rt::control(Ctl::FILE0, Kind::prompt, {12, 13, 32, 10}, "File :"));
    c.push_back(rt::control(Ctl::G8_AFILE, Kind::entry, {46, 10, 201, 16}));
    c.push_back(rt::control(Ctl::BUTTON, Kind::button, {249, 9, 26, 17}, "..."));
    c.push_back(rt::control(Ctl::REMARK0, Kind::prompt, {12, 35, 32, 10}, "Remark :"));
    c.push_back(rt::control(Ctl::G8_AREMARK, Kind::entry, {46, 32, 289, 16}));
    c.push_back(rt::control(Ctl::OK, Kind::button, {102, 59, 50, 21}, "OK", "SaveOK.ico"));
    c.push_back(rt::control(Ctl::CANCEL, Kind::button, {158, 59, 50, 21}, "Cancel", "CANCLE.ico"));
    return w;
}

void FILELINK::run() {
    LOC.FILE.clear();
    window_ = std::make_unique<rt::Window>(description());
    rt::Window& w = *window_;
    w.set_text(Ctl::G8_AFILE, G8.AFILE.clip());
    w.set_text(Ctl::G8_AREMARK, G8.AREMARK.clip());
    w.open();
    SETUPSCREEN();
    if (ACTION == 1) w.post(rt::EventKind::accepted, Ctl::BUTTON);
    while (rt::Event e = w.accept()) {
        if (e.kind != rt::EventKind::accepted) continue;
        switch (static_cast<Ctl>(e.control)) {
        case Ctl::BUTTON:
            BUTTON_ACCEPTED();
            break;
        case Ctl::OK:
            OK_ACCEPTED();
            break;
        case Ctl::CANCEL:
            w.post(rt::EventKind::close_window);
            break;
        default:
            break;
        }
    }
    window_.reset();
}

void FILELINK::SETUPSCREEN() {
    rt::Window& w = *window_;
    w.set_text(Ctl::FILE0, k(u"파일 :"));
    w.set_text(Ctl::REMARK0, k(u"설명 :"));
    w.set_text(Ctl::OK, k(u"확 인"));
    w.set_text(Ctl::CANCEL, k(u"취 소"));
    switch (ACTION) {
    case 1:
        w.set_title(k(u"링크파일 추가"));
        break;
    case 2:
        w.set_title(k(u"링크파일 수정"));
        break;
    case 3:
        w.set_title(k(u"링크파일 삭제"));
        w.disable(Ctl::FILE0, Ctl::CANCEL);
        w.enable(Ctl::OK, Ctl::CANCEL);
        break;
    default:
        break;
    }
}

void FILELINK::BUTTON_ACCEPTED() {
    rt::Window& w = *window_;
    std::string chosen = LOC.FILE.clip();
    const bool picked = rt::file_open(k(u"파일선택"), chosen,
                                      k(u"All Files|*.*|그림파일| *.jpg;*.gif;*.png;*.ico |오피스|*.doc;*.xls;*.ppt;"
                                        u"*.hwp;*.cel"));
    // The dialog may have changed the current folder; the settings file is named relative to it.
    (void)rt::set_current_folder(GLO.HOMEPATH.clip());
    bool refused = false;
    if (picked) {
        LOC.FILE = chosen;
        const std::string name = rt::file_name_of(chosen);
        if (chosen.size() > G8.APATH.size()) {
            // A cut path would name another file, or none, when the file is copied at the save.
            rt::message(k(u"파일 경로가 너무 깁니다. 경로는 128자(Byte)까지만 인식합니다."));
            refused = true;
        } else if (name.size() > G8.AFILE.size()) {
            G8.APATH = chosen;
            rt::message(k(u"파일명이 너무 깁니다. 파일명은 64자(Byte)까지만 인식합니다."));
            G8.AFILE.clear();
            w.set_text(Ctl::G8_AFILE, "");
            refused = true;
        } else {
            G8.APATH = chosen;
            G8.AFILE = name;
            w.set_text(Ctl::G8_AFILE, G8.AFILE.clip());
        }
    }
    if (!refused) w.focus(Ctl::G8_AREMARK);
    w.display();
}

void FILELINK::OK_ACCEPTED() {
    rt::Window& w = *window_;
    G8.AFILE = w.text(Ctl::G8_AFILE);
    G8.AREMARK = w.text(Ctl::G8_AREMARK);
    if (G8.AFILE.blank()) {
        rt::message(k(u"파일을 선택하세요"));
        return;
    }
    // The name is the file's name in the document's folder.
    if (ACTION != 3 && bad_path_name(G8.AFILE.view())) {
        refuse_entry(w, Ctl::G8_AFILE,
                     k(u"링크파일명으로 쓸 수 없는 이름입니다. 마침표나 공백으로 끝나는 이름, \\ / : * ? \" < > ") +
                         rt::SHOWN_BAR +
                         k(u" 가 들어간 이름, CON PRN AUX NUL COM1~COM9 LPT1~LPT9 같은 장치 이름은 쓸 수 없습니다."));
        return;
    }
    ACTION = 0;
    w.post(rt::EventKind::close_window);
}

} // namespace velquin

#endif
