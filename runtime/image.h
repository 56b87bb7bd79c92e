// Icons and pictures by name: a resource of the program first, then a file of that name.
#pragma once

#ifdef _WIN32

#include "runtime/win32.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <string_view>

namespace rt {

// The icon `name` (CP949) at size px: the program's icon resource of that name (the file name, any case), else
// the .ico file. A leading '~' (linked into the program) is ignored. Empty when neither exists.
UniqueIcon load_icon(std::string_view name, int px);

// A picture (BMP, GIF, JPEG, ICO) loaded through the platform's picture object.
class Picture {
public:
    Picture() = default;
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Loads `name`: the program's RCDATA resource of that name, else the file. False when neither loads.
    bool load(std::string_view name);
    explicit operator bool() const noexcept { return pic_ != nullptr; }
    // Size in pixels at the screen's resolution.
    SIZE size() const;
    // Draws the picture scaled into r.
    void draw(HDC dc, const RECT& r) const;

private:
    IPicture* pic_ = nullptr;
};

} // namespace rt

#endif
