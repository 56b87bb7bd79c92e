// Tree lists over queues. A TreeBox is attached to a Kind::tree control and shows a queue's rows as a tree by
// each row's level, with each row's own colours and icon, through the first column of a format string
// (runtime/listformat.h). Rows are counted from 1.
#pragma once
#ifdef _WIN32

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/rows.h"
#include "runtime/window.h"

namespace rt {

class TreeBox : public ControlHandler {
public:
    TreeBox(RowSource source, std::string_view format);
    ~TreeBox() override;
    TreeBox(const TreeBox&) = delete;
    TreeBox& operator=(const TreeBox&) = delete;
    static TreeBox& attach(Window& w, Id control, RowSource source, std::string_view format);

    // The queue's rows changed: the tree is built again from them (every row expanded); no row is selected.
    void refresh();
    void set_line_height(int dialog_units);
    void set_icons(const std::vector<std::string>& names);
    std::string text(std::size_t n) const; // what row n shows
    int level(std::size_t n) const;        // its depth in the tree (0 top)

    // A row the user chooses is reported as one accepted event on the control; the program's own select()
    // queues nothing. A right click on a row chooses it first. select(0), and select() of a row past the
    // last, leave none chosen.
    //
    // Colours: a colour field (or E(...) part) below 0 means none: the E(...) default, else the system's.
    bool notify(Window&, int control, NMHDR&, LRESULT&) override;
    void select(Window&, int control, int row) override;
    int selection(Window&, int control) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace rt
#endif
