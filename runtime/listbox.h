// Lists over queues. A ListBox is attached to a Kind::list control and shows the rows of a queue through a column
// format string (runtime/listformat.h) as a virtual report view, so that 100,000 rows show at once. Rows are
// counted from 1; columns from 1, left to right. Column i is the list view's column i: its column 0 is an empty
// placeholder of no width (the first column of a report view could not be centred or right-aligned).
#pragma once
#ifdef _WIN32

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/listformat.h"
#include "runtime/rows.h"
#include "runtime/window.h"

namespace rt {

class ListBox : public ControlHandler {
public:
    explicit ListBox(RowSource source);
    ~ListBox() override;
    ListBox(const ListBox&) = delete;
    ListBox& operator=(const ListBox&) = delete;
    static ListBox& attach(Window& w, Id control, RowSource source); // creates, attaches, returns it

    // The whole column layout; the rows are shown again.
    void set_format(std::string_view format);
    std::string format() const;
    // The queue's rows changed (added, removed, sorted): the list shows them again, keeping the selection's
    // row number where that row still exists.
    void refresh();
    void set_line_height(int dialog_units);
    // Icon list: icon n (from 1) is names[n-1] (a program icon resource or .ico file, as ControlDesc::icon).
    void set_icons(const std::vector<std::string>& names);

    // Column properties; column i from 1. A column that does not exist reads as empty / 0.
    bool has_column(int i) const;
    int column_count() const;
    std::string header(int i) const;
    void set_header(int i, std::string_view cp949);
    int width(int i) const; // dialog units, as the user left it
    void set_width(int i, int dialog_units);
    int field(int i) const;
    void set_field(int i, int field);
    std::string picture(int i) const;
    void set_picture(int i, std::string_view picture);

    // The last mouse press on the list: the column under it (0 none) and whether it fell on the header row;
    // the column under the last mouse release (0: outside the list's columns).
    //
    // A drop: the left button pressed on a column (its header or its cells), the pointer moved at least the
    // system's drag distance, and released over another column of the same list (header or cells). It is
    // queued as EventKind::drop on the list, with the press and release columns set. A press and release on
    // one column is a click; the list never reorders its columns itself, and header clicks sort nothing.
    int press_column() const;
    bool press_on_header() const;
    int release_column() const;

    // What row n, column i shows (tests and the driver read it); the icon number shown in it (0 none).
    std::string cell(std::size_t n, int i) const;
    int cell_icon(std::size_t n, int i) const;

    // ControlHandler: select(0), and select() of a row past the last, leave no row selected; selection() is 0
    // when none is. A selection by the program queues no event; one by the user queues new_selection.
    bool notify(Window&, int control, NMHDR&, LRESULT&) override;
    void select(Window&, int control, int row) override;
    int selection(Window&, int control) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace rt
#endif
