// Shared pieces of the document-form tests: a library with documents and their linked files on disk, and the
// program run with a script of steps, each waiting for the window it acts on.
#pragma once

#include "organizer/filelink.h"
#include "organizer/updateoffice.h"
#include "tests/mainwindow/support.h"

#include <string>
#include <vector>

namespace docform_test {

using namespace mainwindow_test;
using startup_test::WorkFolder;
using F = UPDATEOFFICE::Ctl;
using L = FILELINK::Ctl;
using Rows = std::vector<std::string>;

// A document with its links and large fields, added to the open library; answers its position.
struct Document {
    std::int16_t node = 0;
    std::int16_t sort = 0;
    std::string subj = "doc";
    std::string index{};
    std::vector<std::string> links{};
    std::string note{};
    std::string object{};
    std::string ext{};
};
inline std::int32_t add_document(const Document& d) {
    OFFICE.clear();
    OFC.NODE = d.node;
    OFC.SORT = d.sort;
    OFC.DATE = 80000;
    OFC.CDATE = 79000;
    OFC.TIME = 100;
    OFC.SUBJ = d.subj;
    OFC.INDEX = d.index;
    OFC.EXT = d.ext;
    OFC.SIZE = static_cast<std::int32_t>(d.object.size());
    for (std::size_t i = 0; i < d.links.size(); ++i) {
        OFC.AFILE[i] = d.links[i];
        OFC.AREMARK[i] = "remark " + d.links[i];
    }
    OFFICE.set_blob(OFC_RECORD::NOTE, d.note);
    OFFICE.set_blob(OFC_RECORD::OBJECT, d.object);
    EXPECT_EQ(OFFICE.add().code(), 0) << rt::error_text();
    return OFFICE.position();
}

// The link slots of the record at a position, up to the last non-blank one, as "name/remark".
inline Rows links_of(std::int32_t pos) {
    EXPECT_EQ(OFFICE.get_at(pos).code(), 0) << rt::error_text();
    Rows out;
    std::size_t last = 0;
    for (std::size_t i = 0; i < 10; ++i)
        if (!OFC.AFILE[i].blank()) last = i + 1;
    for (std::size_t i = 0; i < last; ++i) out.push_back(u8(OFC.AFILE[i].clip()) + "/" + u8(OFC.AREMARK[i].clip()));
    return out;
}

// One step: the window whose title starts with `title` is on top and waiting; act on it.
struct Act {
    std::u16string title;
    std::function<void(rt::Window&)> act;
};

inline constexpr char16_t MAIN[] = u"Velquin - ";
inline constexpr char16_t INSERT_FORM[] = u"새문서 추가";
inline constexpr char16_t CHANGE_FORM[] = u"문서 수정";
inline constexpr char16_t ADD_LINK[] = u"링크파일 추가";
inline constexpr char16_t CHANGE_LINK[] = u"링크파일 수정";
inline constexpr char16_t DELETE_LINK[] = u"링크파일 삭제";

// Runs the program; each time the window on top waits, the next step runs if it is that step's window. After the
// last step the main window closes. Fails when a step's window never comes.
inline void run_program(uitest::ScriptDriver& d, std::vector<Act> steps) {
    std::size_t next = 0;
    d.on_idle = [&](rt::Window& w) {
        if (&w != rt::Window::top()) return;
        if (next < steps.size()) {
            if (w.title().rfind(K(steps[next].title), 0) != 0) return;
            steps[next++].act(w);
        } else if (next == steps.size() && w.title().rfind(K(MAIN), 0) == 0) {
            ++next;
            w.post(rt::EventKind::close_window);
        }
    };
    uitest::DriverScope scope(d);
    try {
        main_module_start();
        _main();
    } catch (const rt::Halted& h) {
        ADD_FAILURE() << "halted: " << u8(h.text);
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what() << " at step " << next << " of " << steps.size();
    }
    ENDUNIQUE();
    main_module_end();
    EXPECT_EQ(next, steps.size() + 1) << "the program ended before its steps ran";
}

// Main-window steps.
inline Act choose_tree(int row) {
    return {MAIN, [row](rt::Window& w) { View{w}.choose(row); }};
}
inline Act press(std::u16string title, int control) {
    return {std::move(title), [control](rt::Window& w) { w.post(rt::EventKind::accepted, control); }};
}
// The document in list row n opened in the form by a double click.
inline Act open_row(int n) {
    return {MAIN, [n](rt::Window& w) {
                View{w}.list().select(w, static_cast<int>(Ctl::LIST2), n);
                w.post(rt::EventKind::alert_key, Ctl::LIST2, rt::key::mouse_left2);
            }};
}
// Form steps: link row n chosen, then a button pressed.
inline Act on_link(std::u16string title, int row, F button) {
    return {std::move(title), [row, button](rt::Window& w) {
                w.select(F::LIST1, row);
                w.post(rt::EventKind::accepted, button);
            }};
}
// In the link entry form: name and remark typed (a null name leaves it), then OK.
inline Act link_ok(std::u16string title, std::string remark, const char* name = nullptr) {
    return {std::move(title), [remark, name](rt::Window& w) {
                if (name) w.set_text(L::G8_AFILE, name);
                w.set_text(L::G8_AREMARK, remark);
                w.post(rt::EventKind::accepted, L::OK);
            }};
}
// A link added in the form: the file dialog (answered by the driver) opens at once.
inline std::vector<Act> add_link(std::u16string form, std::string remark) {
    return {press(std::move(form), static_cast<int>(F::INSERT)), link_ok(ADD_LINK, std::move(remark))};
}

// The form laid out as a user expects at its size now: every control shown lies above the status bar, the link
// list below the body, and the drop lists' rows 13 units high.
inline void expect_laid_out(rt::Window& w) {
    RECT bar{};
    ASSERT_TRUE(w.status_bar());
    GetWindowRect(w.status_bar(), &bar);
    for (const rt::ControlDesc& c : w.description().controls) {
        const HWND h = w.handle(c.id);
        if (!h || !IsWindowVisible(h) || c.kind == rt::Kind::drop_list) continue; // a drop list's includes its list
        RECT r{};
        GetWindowRect(h, &r);
        EXPECT_LE(r.bottom, bar.top) << "control " << c.id << " under the status bar at " << w.position().h;
    }
    if (w.visible(F::LIST1)) {
        RECT body{}, list{};
        GetWindowRect(w.handle(F::RTEXT), &body);
        GetWindowRect(w.handle(F::LIST1), &list);
        EXPECT_LE(body.bottom, list.top);
    }
    EXPECT_EQ(SendMessageW(w.handle(F::CATEGORY), CB_GETITEMHEIGHT, 0, 0), w.units().y(13));
}

inline std::string texts(const std::vector<rt::MessageRequest>& messages) {
    std::string s;
    for (const auto& m : messages) s += "[" + u8(m.text) + "]";
    return s;
}

} // namespace docform_test

namespace docform_test {

// The position of the first document with this title (0 when none), read through the edit-date key.
inline std::int32_t find_document(std::string_view subj) {
    EXPECT_EQ(OFFICE.set(OFC_RECORD::DATE_KEY).code(), 0);
    for (rt::Status st = OFFICE.next(); st; st = OFFICE.next())
        if (OFC.SUBJ == subj) return OFFICE.position();
    return 0;
}

} // namespace docform_test
