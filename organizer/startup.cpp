#include "organizer/startup.h"

#include "organizer/version.h"
#include "runtime/text.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#endif

namespace velquin {

std::string library_root(std::string_view db_path) {
    const std::string path = rt::clip(db_path);
    // By characters: the trail byte of a double-byte character may look like '\\'.
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < path.size(); i += rt::cut_point(std::string_view(path).substr(i), 1) == 1 ? 1 : 2) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') dot = std::string::npos;
        if (path[i] == '.') dot = i;
    }
    return path.substr(0, dot);
}

std::string default_library(std::string_view home_path) {
    return rt::clip(home_path) + "\\myOFFICE.VL1";
}

std::string library_folder(std::string_view db_path) {
    const std::string path = rt::clip(db_path);
    // By characters, as library_root.
    std::size_t slash = std::string::npos;
    for (std::size_t i = 0; i < path.size(); i += rt::cut_point(std::string_view(path).substr(i), 1) == 1 ? 1 : 2)
        if (path[i] == '\\' || path[i] == '/') slash = i;
    if (slash == std::string::npos) return std::string();
    // A root keeps its "\": "C:" alone would be the drive's current folder, "" the current one.
    const bool root = slash == 0 || (slash == 2 && path[1] == ':');
    return path.substr(0, root ? slash + 1 : slash);
}

StartLibrary start_library(std::string_view stored, std::string_view home_path, std::size_t limit,
                           const std::function<bool(std::string_view folder)>& folder_exists) {
    const std::string path = rt::clip(stored);
    const std::string fallback = default_library(home_path);
    if (path.empty()) return {fallback, StartLibrary::Why::none};
    if (path.size() > limit) return {fallback, StartLibrary::Why::too_long};
    const std::string folder = library_folder(path);
    if (!folder.empty() && !folder_exists(folder)) return {fallback, StartLibrary::Why::folder_missing};
    return {path, StartLibrary::Why::none};
}

#ifdef _WIN32

namespace {
HANDLE unique_event = nullptr;
}

long BEGINUNIQUE(std::string_view name) {
    std::string event_name = rt::clip(name) + "_UEvent";
    if (event_name.size() > 259) event_name.resize(rt::cut_point(event_name, 259));
    HANDLE h = CreateEventW(nullptr, FALSE, FALSE, rt::wide(event_name).c_str());
    if (h == nullptr) return 0;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return 0;
    }
    // Kept open on purpose: the event marks this copy until the process ends.
    unique_event = h;
    return static_cast<long>(reinterpret_cast<INT_PTR>(h));
}

void ENDUNIQUE() {
    if (unique_event) CloseHandle(unique_event);
    unique_event = nullptr;
}

unsigned char WINDOWEXISTS(std::string_view title) {
    std::string t = rt::clip(title);
    if (t.size() > 127) t.resize(rt::cut_point(t, 127));
    return FindWindowW(nullptr, rt::wide(t).c_str()) != nullptr ? 1 : 0;
}

long full_window_drag() {
    BOOL on = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0);
    return on ? 1 : 0;
}

void set_full_window_drag(long on) {
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, static_cast<UINT>(on), nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

std::string current_folder_short() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, buf);
    if (n == 0 || n >= MAX_PATH) return std::string();
    wchar_t shortbuf[MAX_PATH];
    DWORD m = GetShortPathNameW(buf, shortbuf, MAX_PATH);
    return rt::narrow(m > 0 && m < MAX_PATH ? shortbuf : buf);
}

std::string long_form(std::string_view path) {
    std::wstring w = rt::wide(rt::clip(path));
    wchar_t buf[MAX_PATH];
    DWORD n = GetLongPathNameW(w.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? rt::narrow(buf) : rt::clip(path);
}

std::string CHECKVERSION(std::string_view file_name) {
    // The name is CP949 text, converted explicitly; the bare name is found by the usual search, own folder first.
    const std::wstring name = rt::wide(rt::clip(file_name) + ".exe");
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(name.c_str(), &ignored);
    if (size == 0) return std::string();
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(name.c_str(), 0, size, data.data())) return std::string();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || info == nullptr ||
        len < sizeof(VS_FIXEDFILEINFO))
        return std::string();
    return product_version_text(info->dwProductVersionMS, info->dwProductVersionLS);
}

#endif

} // namespace velquin
