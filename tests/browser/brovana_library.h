// Brovana.dll as an outside caller sees it: loaded with LoadLibrary, its functions looked up by name or ordinal
// and called through their __stdcall signatures.
#pragma once

#include <windows.h>

struct BrovanaLibrary {
    HMODULE module = LoadLibraryW(L"Brovana.dll");
    BrovanaLibrary() = default;
    BrovanaLibrary(const BrovanaLibrary&) = delete;
    BrovanaLibrary& operator=(const BrovanaLibrary&) = delete;
    ~BrovanaLibrary() {
        if (module) FreeLibrary(module);
    }
    // Through void (*)(), the type that stands for any function, as GetProcAddress's result is meant to be cast.
    template <class Fn> Fn get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    }
    template <class Fn> Fn get(WORD ordinal) const { return get<Fn>(MAKEINTRESOURCEA(ordinal)); }
};
