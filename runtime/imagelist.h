// Small icons for list and tree controls, and what their subclass procedures share.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <string>
#include <utility>
#include <vector>

namespace rt {

// An owned image list.
struct ImageList {
    HIMAGELIST h = nullptr;
    ImageList() = default;
    explicit ImageList(HIMAGELIST l) : h(l) {}
    ~ImageList() {
        if (h) ImageList_Destroy(h);
    }
    ImageList(ImageList&& o) noexcept : h(std::exchange(o.h, nullptr)) {}
    ImageList& operator=(ImageList&& o) noexcept {
        if (this != &o) {
            if (h) ImageList_Destroy(h);
            h = std::exchange(o.h, nullptr);
        }
        return *this;
    }
};

// Small icons by name, in their order; a name that loads nothing keeps its place as an empty image.
ImageList icon_list(const std::vector<std::string>& names);

// A mouse message's point, in the receiving window's client area.
inline POINT point_of(LPARAM lp) {
    return {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
}

} // namespace rt
#endif
