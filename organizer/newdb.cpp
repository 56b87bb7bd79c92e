#ifdef _WIN32

#include "organizer/newdb.h"

#include "organizer/globals.h"
#include "organizer/names.h"
#include "organizer/standard.h"
#include "organizer/texts.h"
#include "runtime/prompt.h"
#include "runtime/text.h"
#include "runtime/window.h"

#include <memory>
#include <string>

namespace velquin {

namespace {

using newdbform::Ctl;

class NEWDBFORM {
public:
    void run();

private:
    void SETUPSCREEN();
    bool name_is_usable();
    void ADD_DB() { GLO.DBPATH = GLO.HOMEPATH.clip() + "\\" + NEWDB.clip(); }
    void PUT_DB() {}
    void DEL_DB() {}

    rt::Fixed<30> NEWDB;
    std::unique_ptr<rt::Window> window_;
};

rt::WindowDesc description() {
    rt::WindowDesc w;
    w.title = "New Office DB";
    w.font = "Gulim";
    w.at = {rt::unchanged, rt::unchanged, 273, 93};
    w.controls = {
        rt::control(Ctl::MSG, rt::Kind::prompt, {12, 10, 250, 20}, "Message"),
        rt::control(Ctl::NEWDB, rt::Kind::entry, {55, 36, 140, 13}),
        rt::control(Ctl::DBNAME0, rt::Kind::prompt, {12, 38, 40, 10}, "DB Name"),
        rt::control(Ctl::OK, rt::Kind::button, {150, 66, 52, 16}, "Save"),
        rt::control(Ctl::CANCEL, rt::Kind::button, {208, 66, 52, 16}, "Cancel"),
    };
    return w;
}

void NEWDBFORM::SETUPSCREEN() {
    rt::Window& w = *window_;
    w.set_title(k(u"새 오피스 DB 생성"));
    w.set_text(Ctl::MSG, k(u"DB명은 파일명으로 사용되니 마침표,특수문자,공백없이 입력하세요."));
    w.set_text(Ctl::DBNAME0, k(u"새 DB명"));
    w.set_text(Ctl::OK, k(u"확 인"));
    w.set_text(Ctl::CANCEL, k(u"취 소"));
}

// The name becomes a file name in the start folder, and the file name up to its extension the link root: it
// must stay one name in that folder, hold no ".", and leave a path that the settings can hold.
bool NEWDBFORM::name_is_usable() {
    std::string refusal;
    if (bad_library_name(NEWDB.view()))
        refusal = k(u"DB명이 비어 있거나 마침표나 \\ / : * ? \" < > ") + rt::SHOWN_BAR +
                  k(u" 가 들어 있거나, CON PRN AUX NUL COM1~COM9 LPT1~LPT9 같은 장치 이름입니다. 다른 이름을 "
                    u"입력하세요.");
    else if (GLO.HOMEPATH.clip().size() + 1 + NEWDB.clip().size() + 4 > OINI.DB.size())
        refusal = k(u"DB 파일 경로가 너무 깁니다. 더 짧은 DB명을 입력하세요.");
    return refusal.empty() || refuse_entry(*window_, Ctl::NEWDB, refusal);
}

void NEWDBFORM::run() {
    NEWDB.clear();
    window_ = std::make_unique<rt::Window>(description());
    rt::Window& w = *window_;
    w.set_limit(Ctl::NEWDB, NEWDB.size());
    w.open();
    SETUPSCREEN();
    w.focus(Ctl::NEWDB);
    while (const rt::Event e = w.accept()) {
        if (e.kind != rt::EventKind::accepted) continue;
        if (e.control == static_cast<int>(Ctl::OK)) {
            NEWDB = w.text(Ctl::NEWDB);
            if (!name_is_usable()) continue;
            switch (ACTION) {
            case 1:
                ADD_DB();
                break;
            case 2:
                PUT_DB();
                break;
            case 3:
                DEL_DB();
                break;
            default:
                break;
            }
            ACTION = 0;
            w.close();
        } else if (e.control == static_cast<int>(Ctl::CANCEL)) {
            w.close();
        }
    }
}

} // namespace

void NEWDB() {
    NEWDBFORM().run();
}

} // namespace velquin

#endif
