// The exported functions of Brovana.dll for its callers: __stdcall, undecorated names, fixed ordinals (see
// Brovana.def). Texts cross as NUL-terminated bytes in the ANSI code page; a returned text points into storage
// the library owns. Link with the import library (CMake target Brovana).
#pragma once

#include <cstdint>

extern "C" {

// Fetches the page at url and keeps its text; the text's length in bytes, or -1 on an internet error (the kept
// text then stays as it was). reserved is not used.
std::int32_t __stdcall GetHtmlLength(const char* url, void* reserved);

// The kept text, or null while no fetch has succeeded (or the last one brought an empty page). Valid until the
// next successful GetHtmlLength, ClearHtmlSource or the library's unload.
const char* __stdcall GetHtmlSource();

// Replaces the kept text with one blank; the length stays.
void __stdcall ClearHtmlSource();
}
