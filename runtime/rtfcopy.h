// A hidden rich-text control holding a copy of some RTF, for work on the editor's text that the user must not see
// and that must not enter the body's undo history (laying out pages, replacing every occurrence).
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <string>
#include <string_view>

namespace rt {

class RichTextCopy {
public:
    // A control of the same class as `like`, holding `rtf`.
    RichTextCopy(HWND like, std::string_view rtf);
    ~RichTextCopy();
    RichTextCopy(const RichTextCopy&) = delete;
    RichTextCopy& operator=(const RichTextCopy&) = delete;

    HWND handle() const noexcept { return edit_; }
    long length() const;     // characters, without the closing paragraph mark
    std::string rtf() const; // the whole text, without the closing paragraph mark

private:
    HWND edit_ = nullptr;
};

// RTF as a rich-text control loads it fastest, with the same text and formats: a switch to a font of a
// full-length name before each font switch keeps Wine's formats shared (see the definition).
std::string with_shared_formats(std::string_view rtf);
// The RTF of the control's current selection.
std::string selection_rtf(HWND edit);
// Replaces the control's selection with RTF, as one step of its undo history.
void replace_selection_rtf(HWND edit, std::string_view rtf);

} // namespace rt

#endif
