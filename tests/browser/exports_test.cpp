// Brovana.dll as any caller sees it: loaded with LoadLibrary, its functions found by name and by ordinal and
// called through their __stdcall signatures; a fresh load holds no page; loading and unloading leave nothing
// behind.
#include "tests/browser/brovana_library.h"
#include "tests/http_server.h"

#include <windows.h>

#include <psapi.h> // after windows.h, which it needs

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using GetHtmlLengthFn = std::int32_t(__stdcall*)(const char*, void*);
using GetHtmlSourceFn = const char*(__stdcall*)();
using ClearHtmlSourceFn = void(__stdcall*)();

struct Export {
    const char* name;
    WORD ordinal;
};
const Export kExports[] = {
    {"GetDesktopSize", 6}, {"FindProgram", 27},     {"FindControl", 28},  {"CtrlEditString", 29},
    {"ButtonClick", 30},   {"WindowClose", 31},     {"SetTopWindow", 34}, {"SetActWindow", 35},
    {"SetHideWindow", 36}, {"SetWindowSize", 37},   {"IsFindWindow", 38}, {"GetHtmlLength", 43},
    {"GetHtmlSource", 44}, {"ClearHtmlSource", 45}, {"WinVersion", 46},   {"Check_HangeulCode", 54},
    {"GetTickCounts", 57}, {"MevMailSend", 58},     {"IsUserAdmin", 59},  {"IEVersion", 60},
};

using Library = BrovanaLibrary;

TEST(BrovanaExports, FoundByNameAndByOrdinal) {
    Library lib;
    ASSERT_NE(lib.module, nullptr) << "LoadLibrary failed with " << GetLastError();
    for (const Export& e : kExports) {
        FARPROC byName = GetProcAddress(lib.module, e.name);
        FARPROC byOrdinal = GetProcAddress(lib.module, MAKEINTRESOURCEA(e.ordinal));
        EXPECT_NE(byName, nullptr) << e.name;
        EXPECT_EQ(byName, byOrdinal) << e.name << " is not ordinal " << e.ordinal;
    }
    // Decorated names are not exported.
    EXPECT_EQ(GetProcAddress(lib.module, "GetHtmlLength@8"), nullptr);
    EXPECT_EQ(GetProcAddress(lib.module, "_GetHtmlLength@8"), nullptr);
}

TEST(BrovanaExports, FreshLoadHoldsNoPage) {
    Library lib;
    ASSERT_NE(lib.module, nullptr);
    auto source = lib.get<GetHtmlSourceFn>(44);
    auto clear = lib.get<ClearHtmlSourceFn>(45);
    EXPECT_EQ(source(), nullptr);
    clear();
    EXPECT_EQ(source(), nullptr) << "the length is still 0, so there is still no text";
}

TEST(BrovanaExports, CallsThroughStdcallPointers) {
    TestHttpServer server;
    server.serve("/v", "1.0.0.1");
    std::string url = server.url("/v");
    Library lib;
    ASSERT_NE(lib.module, nullptr);
    auto length = lib.get<GetHtmlLengthFn>("GetHtmlLength");
    auto source = lib.get<GetHtmlSourceFn>("GetHtmlSource");
    auto clear = lib.get<ClearHtmlSourceFn>(45);

    // The second argument is not read, whatever it points at.
    EXPECT_EQ(length(url.c_str(), reinterpret_cast<void*>(1)), 7);
    EXPECT_STREQ(source(), "1.0.0.1");
    EXPECT_EQ(lib.get<GetHtmlSourceFn>(44)(), source());

    // A null address answers -1 instead of faulting; many calls in a row keep the stack balanced (the callee
    // removes its arguments).
    int wrong = 0;
    for (int i = 0; i < 2000; ++i) {
        if (length(nullptr, nullptr) != -1) ++wrong;
        if (source() == nullptr) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    clear();
    EXPECT_STREQ(source(), " ");
    EXPECT_EQ(lib.get<GetHtmlLengthFn>(43)(url.c_str(), nullptr), 7);
    EXPECT_STREQ(source(), "1.0.0.1");
}

// What a process holds that a load and unload of the library could leave behind.
struct Holdings {
    DWORD handles = 0;       // kernel handles
    DWORD userObjects = 0;   // USER objects (cursors among them)
    DWORD gdiObjects = 0;    // GDI objects
    SIZE_T heapBytes = 0;    // bytes in use in all heaps of the process
    SIZE_T privateBytes = 0; // committed private memory
};

Holdings holdings() {
    Holdings h;
    GetProcessHandleCount(GetCurrentProcess(), &h.handles);
    h.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    h.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        if (!HeapLock(heaps[i])) continue;
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) h.heapBytes += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    h.privateBytes = pmc.PrivateUsage;
    return h;
}

bool cursorAlive(LPCWSTR id) {
    ICONINFO info{};
    if (!GetIconInfo(LoadCursorW(nullptr, id), &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

// What loading and unloading a DLL a hundred times leaves behind. The first round may set up what the system
// keeps for good (the loader's caches), so counting starts after it.
struct Growth {
    Holdings before, after;
};
Growth loadAndUnload(const wchar_t* dll, int rounds) {
    {
        HMODULE warmUp = LoadLibraryW(dll);
        EXPECT_NE(warmUp, nullptr) << "cannot load the DLL";
        if (warmUp) FreeLibrary(warmUp);
    }
    Growth g{holdings(), {}};
    for (int i = 0; i < rounds; ++i) {
        HMODULE m = LoadLibraryW(dll);
        EXPECT_NE(m, nullptr) << "round " << i;
        EXPECT_TRUE(m && FreeLibrary(m));
        EXPECT_EQ(GetModuleHandleW(dll), nullptr) << "still loaded after round " << i;
    }
    g.after = holdings();
    return g;
}

// Loads and unloads the library without calling it: the module goes, and handles, USER and GDI objects, heap
// blocks and private memory stay where they were, up to what the C++ runtime linked into every mingw DLL keeps
// per load and nothing can release (its exception buffer, thread and unwinder blocks). That share is measured
// on a DLL linked the same way with nothing of its own; a buffer or object of the library's would be more.
TEST(BrovanaExports, LoadAndUnloadLeaveNothingBehind) {
    LPCWSTR cursors[] = {IDC_ARROW, IDC_IBEAM, IDC_HAND, IDC_WAIT, IDC_APPSTARTING};
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const int rounds = 100;
    Growth runtime = loadAndUnload(L"runtime_baseline.dll", rounds);
    Growth library = loadAndUnload(L"Brovana.dll", rounds);
    // Wine answers 0 for these three counts; on Windows they count.
    EXPECT_EQ(library.after.handles, library.before.handles);
    EXPECT_EQ(library.after.userObjects, library.before.userObjects);
    EXPECT_EQ(library.after.gdiObjects, library.before.gdiObjects);
    auto grew = [](SIZE_T before, SIZE_T after) { return after > before ? after - before : 0; };
    const SIZE_T slackPerRound = 128;
    SIZE_T runtimeHeap = grew(runtime.before.heapBytes, runtime.after.heapBytes);
    SIZE_T libraryHeap = grew(library.before.heapBytes, library.after.heapBytes);
    EXPECT_LE(libraryHeap, runtimeHeap + rounds * slackPerRound)
        << "heap bytes grew by " << libraryHeap << ", the runtime's share is " << runtimeHeap;
    SIZE_T runtimePrivate = grew(runtime.before.privateBytes, runtime.after.privateBytes);
    SIZE_T libraryPrivate = grew(library.before.privateBytes, library.after.privateBytes);
    EXPECT_LE(libraryPrivate, runtimePrivate + rounds * slackPerRound + 64 * 1024)
        << "private bytes grew by " << libraryPrivate << ", the runtime's share is " << runtimePrivate;

    // The library released the system's shared cursors; they are still the process's.
    for (LPCWSTR id : cursors)
        EXPECT_TRUE(cursorAlive(id)) << "cursor " << reinterpret_cast<std::uintptr_t>(id);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);
}

TEST(BrovanaExports, CarriesAVersionResource) {
    wchar_t path[MAX_PATH];
    {
        Library lib;
        ASSERT_NE(lib.module, nullptr);
        ASSERT_GT(GetModuleFileNameW(lib.module, path, MAX_PATH), 0u);
    }
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    wchar_t* name = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\041204b0\\OriginalFilename",
                               reinterpret_cast<void**>(&name), &len));
    EXPECT_TRUE(std::wstring(name) == L"Brovana.dll");
}

} // namespace
