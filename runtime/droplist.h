// Drop-down lists: the entries of a Kind::drop_list control, each with a text, a value and an optional picture
// from the list's own image list. The window attaches a DropList to every drop list it builds, filled from the
// control's text ("text|#value|text|#value" or plain "8|9|10").
#pragma once
#ifdef _WIN32

#include "runtime/imagelist.h"
#include "runtime/window.h"

#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

namespace rt {

struct DropEntry {
    std::string text;  // CP949, as shown
    std::string value; // the entry's value; its text when none was given
    int image = -1;    // place in the list's image list; -1: none
};

class DropList : public ControlHandler {
public:
    DropList(HWND combo, DialogUnits units) noexcept : combo_(combo), units_(units) {}
    ~DropList() override;
    DropList(const DropList&) = delete;
    DropList& operator=(const DropList&) = delete;

    // The drop list of the control, or nullptr when it is none.
    static DropList* of(const Window& w, Id control);
    // Entries from a text: '|' between entries, an entry "#v" gives the entry before it the value v.
    static std::vector<DropEntry> parse(std::string_view text);

    void set_entries(std::vector<DropEntry> entries);
    const std::vector<DropEntry>& entries() const noexcept { return entries_; }
    // The pictures of the entries; the list owns them from now on.
    void set_images(HIMAGELIST images);
    // The row (from 1) whose text equals the given one, letters compared without case; 0 when none does.
    int find(std::string_view text) const;
    // The height of the rows of the list that drops down, in dialog units of the window's font.
    void set_line_height(int dialog_units);
    // Rows from 1; 0 chooses none. Choosing queues no event.
    void choose(int row);
    int chosen() const;

    void select(Window&, int, int row) override { choose(row); }
    int selection(Window&, int) override { return chosen(); }

private:
    HWND combo_;
    DialogUnits units_;
    ImageList images_;
    std::vector<DropEntry> entries_;
};

} // namespace rt

#endif
