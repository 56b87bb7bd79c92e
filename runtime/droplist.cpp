// Drop-down lists over a ComboBoxEx: entries with texts, values and pictures.
#ifdef _WIN32

#include "runtime/droplist.h"

#include "runtime/prompt.h"
#include "runtime/text.h"

namespace rt {

DropList::~DropList() = default;

DropList* DropList::of(const Window& w, Id control) {
    return dynamic_cast<DropList*>(w.handler(control));
}

std::vector<DropEntry> DropList::parse(std::string_view text) {
    std::vector<DropEntry> out;
    for (std::string& part : split_bar(text)) {
        if (part.size() > 1 && part[0] == '#' && !out.empty())
            out.back().value = part.substr(1);
        else
            out.push_back({part, part, -1});
    }
    return out;
}

void DropList::set_entries(std::vector<DropEntry> entries) {
    entries_ = std::move(entries);
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    for (const DropEntry& e : entries_) {
        std::wstring w = wide(e.text);
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT;
        item.iItem = -1;
        item.pszText = w.data();
        if (e.image >= 0) {
            item.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
            item.iImage = item.iSelectedImage = e.image;
        }
        SendMessageW(combo_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void DropList::set_images(HIMAGELIST images) {
    SendMessageW(combo_, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    images_ = ImageList(images);
}

int DropList::find(std::string_view text) const {
    const std::string want = upper(text);
    for (size_t i = 0; i < entries_.size(); ++i)
        if (upper(entries_[i].text) == want) return static_cast<int>(i) + 1;
    return 0;
}

void DropList::set_line_height(int dialog_units) {
    SendMessageW(combo_, CB_SETITEMHEIGHT, 0, units_.y(dialog_units));
}

void DropList::choose(int row) {
    SendMessageW(combo_, CB_SETCURSEL, row >= 1 ? static_cast<WPARAM>(row - 1) : static_cast<WPARAM>(-1), 0);
}

int DropList::chosen() const {
    const LRESULT i = SendMessageW(combo_, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? 0 : static_cast<int>(i) + 1;
}

} // namespace rt

#endif
