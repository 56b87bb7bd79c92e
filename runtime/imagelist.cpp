// Small icons for list and tree controls.
#ifdef _WIN32

#include "runtime/imagelist.h"

#include "runtime/image.h"
#include "runtime/win32.h"

namespace rt {

ImageList icon_list(const std::vector<std::string>& names) {
    const int px = 16;
    ImageList list(ImageList_Create(px, px, ILC_COLOR32 | ILC_MASK, static_cast<int>(names.size()), 4));
    if (!list.h) {
        report_failure("ImageList_Create", "icons");
        return list;
    }
    for (const std::string& name : names) {
        UniqueIcon icon = load_icon(name, px);
        if (icon && ImageList_AddIcon(list.h, icon.get()) >= 0) continue;
        // An all-transparent image in its place.
        ScreenDC dc;
        UniqueBitmap bmp(CreateCompatibleBitmap(dc.get(), px, px));
        {
            UniqueDC mem(CreateCompatibleDC(dc.get()));
            Selected into(mem.get(), bmp.get());
            RECT r{0, 0, px, px};
            FillRect(mem.get(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        ImageList_AddMasked(list.h, bmp.get(), RGB(0, 0, 0));
    }
    return list;
}

} // namespace rt

#endif
