// Icons and pictures by name.
#ifdef _WIN32

#include "runtime/image.h"

#include "runtime/text.h"

#include <cstring>
#include <vector>

namespace rt {

namespace {

std::wstring resource_name(std::string_view name) {
    if (!name.empty() && name.front() == '~') name.remove_prefix(1);
    return wide(name);
}

// The bytes of the program's RCDATA resource `name`, else of the file `name`; empty when neither exists.
std::vector<char> picture_bytes(const std::wstring& name) {
    HMODULE self = GetModuleHandleW(nullptr);
    if (HRSRC res = FindResourceW(self, name.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */)) {
        HGLOBAL loaded = LoadResource(self, res);
        const char* p = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (p) return std::vector<char>(p, p + SizeofResource(self, res));
    }
    UniqueHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return {};
    }
    std::vector<char> bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), buf, buf + got);
    return bytes;
}

} // namespace

UniqueIcon load_icon(std::string_view name, int px) {
    const std::wstring w = resource_name(name);
    if (w.empty()) return {};
    HMODULE self = GetModuleHandleW(nullptr);
    if (FindResourceW(self, w.c_str(), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */))
        return UniqueIcon(static_cast<HICON>(LoadImageW(self, w.c_str(), IMAGE_ICON, px, px, LR_DEFAULTCOLOR)));
    UniqueIcon icon(static_cast<HICON>(LoadImageW(nullptr, w.c_str(), IMAGE_ICON, px, px, LR_LOADFROMFILE)));
    if (!icon) report_failure("LoadImageW", name);
    return icon;
}

Picture::~Picture() {
    if (pic_) pic_->Release();
}

bool Picture::load(std::string_view name) {
    const std::vector<char> bytes = picture_bytes(resource_name(name));
    if (bytes.empty()) {
        report_failure("Picture::load", name, ERROR_FILE_NOT_FOUND);
        return false;
    }
    ensure_com();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!mem) return false;
    std::memcpy(GlobalLock(mem), bytes.data(), bytes.size());
    GlobalUnlock(mem);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(mem, TRUE, &stream))) {
        GlobalFree(mem);
        return false;
    }
    IPicture* pic = nullptr;
    HRESULT hr =
        OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture, reinterpret_cast<void**>(&pic));
    stream->Release();
    if (FAILED(hr) || !pic) {
        report_failure("OleLoadPicture", name, static_cast<DWORD>(hr));
        return false;
    }
    if (pic_) pic_->Release();
    pic_ = pic;
    return true;
}

SIZE Picture::size() const {
    SIZE s{0, 0};
    if (!pic_) return s;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    pic_->get_Width(&w);
    pic_->get_Height(&h);
    ScreenDC dc;
    s.cx = MulDiv(w, GetDeviceCaps(dc.get(), LOGPIXELSX), 2540);
    s.cy = MulDiv(h, GetDeviceCaps(dc.get(), LOGPIXELSY), 2540);
    return s;
}

void Picture::draw(HDC dc, const RECT& r) const {
    if (!pic_) return;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    pic_->get_Width(&w);
    pic_->get_Height(&h);
    // The picture's own coordinates run upwards, hence the source starting at its height.
    pic_->Render(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, h, w, -h, nullptr);
}

} // namespace rt

#endif
