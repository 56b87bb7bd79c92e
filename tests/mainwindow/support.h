// Shared pieces of the main-window tests: a library made before the start, the main procedure run with a
// script of steps, and what the tree and the list show.
#pragma once

#include "organizer/browseoffice.h"
#include "organizer/doclist.h"
#include "organizer/globals.h"
#include "organizer/office.h"
#include "organizer/startup.h"
#include "runtime/listbox.h"
#include "runtime/treebox.h"
#include "tests/startup_ui/common.h"
#include "tests/ui/list_support.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace mainwindow_test {

using namespace velquin;
using startup_test::K;
using startup_test::u8;

// The library the program opens by default in the working folder, filled before the start.
class Library {
public:
    Library() {
        OINI.DB = "myOFFICE.VL1";
        EXPECT_EQ(OFFICE.create().code(), 0);
        EXPECT_EQ(OFFICE.open().code(), 0) << rt::error_text();
        OFFICE.clear();
        EXPECT_EQ(OFFICE.add().code(), 0); // the blank placeholder: with it and a document nothing is added at the start
    }
    ~Library() { OFFICE.close(); }
    // Closes the file for the program; what it holds is read back with reopen().
    void close() { OFFICE.close(); }
    void reopen() {
        OINI.DB = "myOFFICE.VL1";
        EXPECT_EQ(OFFICE.open().code(), 0);
    }

    std::int32_t category(std::int16_t number, std::int16_t sort, std::u16string_view name, bool trashed = false) {
        OFFICE.clear();
        OFC.TREE = number;
        OFC.SORT = trashed ? static_cast<std::int16_t>(number + TRASH) : sort;
        OFC.LEVEL = trashed ? 2 : 1;
        OFC.SUBJ = name;
        return add();
    }
    struct Doc {
        std::int16_t node = 0;
        std::int32_t date = 80000;
        std::int32_t time = 100;
        std::string subj = "doc";
        std::string index{};
        std::string afile1{}, afile2{};
        std::int16_t sort = 0;
        std::int32_t size = 0;
        std::string ext{};
    };
    std::int32_t document(const Doc& d) {
        OFFICE.clear();
        OFC.NODE = d.node;
        OFC.DATE = d.date;
        OFC.CDATE = d.date;
        OFC.TIME = d.time;
        OFC.SUBJ = d.subj;
        OFC.INDEX = d.index;
        OFC.AFILE[0] = d.afile1;
        OFC.AFILE[1] = d.afile2;
        OFC.SORT = d.sort;
        OFC.SIZE = d.size;
        OFC.EXT = d.ext;
        return add();
    }
    // The record at a position, into OFC.
    void get(std::int32_t pos) {
        EXPECT_EQ(OFFICE.get_at(pos).code(), 0) << rt::error_text();
    }

private:
    std::int32_t add() {
        EXPECT_EQ(OFFICE.add().code(), 0) << rt::error_text();
        return OFFICE.position();
    }
};

// What the window shows, for the steps.
struct View {
    rt::Window& w;
    rt::TreeBox& tree() const { return *dynamic_cast<rt::TreeBox*>(w.handler(Ctl::TREE)); }
    rt::ListBox& list() const { return *dynamic_cast<rt::ListBox*>(w.handler(Ctl::LIST2)); }
    std::vector<std::string> tree_rows() const {
        std::vector<std::string> rows;
        const auto count = static_cast<std::size_t>(TreeView_GetCount(w.handle(Ctl::TREE)));
        for (std::size_t n = 1; n <= count; ++n)
            rows.push_back(u8(tree().text(n)));
        return rows;
    }
    // Column i of every list row, as UTF-8.
    std::vector<std::string> column(int i) const {
        std::vector<std::string> out;
        for (std::size_t n = 1;; ++n) {
            if (n > rows()) break;
            out.push_back(u8(list().cell(n, i)));
        }
        return out;
    }
    std::size_t rows() const { return static_cast<std::size_t>(ListView_GetItemCount(w.handle(Ctl::LIST2))); }
    int selected_row() const { return list().selection(w, static_cast<int>(Ctl::LIST2)); }
    int selected_tree_row() const { return tree().selection(w, static_cast<int>(Ctl::TREE)); }
    // The user chooses tree row n.
    void choose(int n) const {
        tree().select(w, static_cast<int>(Ctl::TREE), n);
        w.post(rt::EventKind::accepted, Ctl::TREE);
    }
    // The user picks list row n and right-clicks it, or double-clicks it.
    void right_click_row(int n) const {
        list().select(w, static_cast<int>(Ctl::LIST2), n);
        w.post(rt::EventKind::alert_key, Ctl::LIST2, rt::key::mouse_right);
    }
    void right_click_tree(int n) const {
        tree().select(w, static_cast<int>(Ctl::TREE), n);
        w.post(rt::EventKind::alert_key, Ctl::TREE, rt::key::mouse_right);
    }
    void search(std::u16string_view text) const {
        w.set_text(Ctl::LOC_SEARCH, K(text));
        w.post(rt::EventKind::accepted, Ctl::LOC_SEARCH);
    }
};

using Step = std::function<void(const View&)>;
using FormStep = std::function<void(rt::Window&)>;

// Runs the main procedure; each time the window waits, the next step runs; after the last the window closes.
// Each time a window that the main window opened waits, the next form step runs on it.
inline void run_steps(uitest::ScriptDriver& d, std::vector<Step> steps, std::vector<FormStep> form_steps = {}) {
    std::size_t next = 0, next_form = 0;
    d.on_idle = [&](rt::Window& w) {
        if (&w != rt::Window::top()) return;
        if (w.title().rfind("Velquin - ", 0) != 0) {
            if (next_form < form_steps.size()) form_steps[next_form++](w);
            return;
        }
        if (next < steps.size()) {
            const View v{w};
            steps[next++](v);
        } else if (next == steps.size()) {
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
    }
    ENDUNIQUE();
    main_module_end();
    EXPECT_EQ(next, steps.size() + 1) << "the window closed before its steps ran";
    EXPECT_EQ(next_form, form_steps.size()) << "form steps left over";
}

} // namespace mainwindow_test
