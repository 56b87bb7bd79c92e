// The page text fetch behind GetHtmlLength, GetHtmlSource and ClearHtmlSource, and the library's text
// conversions. Each function works on the application object it is given; the exports pass theApp.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CBrovanaApp;

namespace brovana {

// UTF-8 bytes up to their NUL as UTF-16; invalid sequences are decoded the platform's way (flags 0).
std::wstring Utf8ToWide(const char* bytes);

// Downloads the page at url (NUL-terminated ANSI text) over WinINet, always from the server, and on success
// replaces app.HtmlText with its text in the calling thread's ANSI code page and returns its byte length. The
// body is read in line pieces (carriage returns dropped, line feeds kept), each counted up to its first NUL byte
// and decoded as UTF-8, a character cut by a piece's end together with the rest of its bytes. At most 10
// redirects are followed; connecting gives up after 60 s, each send and receive after 30 s. Any internet error,
// one redirect too many, a null url or a failed allocation: -1, and app is left as it was. The response status
// is not looked at otherwise: an error page's body is the text.
std::int32_t fetchPage(CBrovanaApp& app, const char* url);

// The fetched text, or null while app.HtmlLength is 0.
const char* pageSource(const CBrovanaApp& app);

// Blanks the fetched text to one blank; app.HtmlLength stays as it is.
void clearPage(CBrovanaApp& app);

// A window's title in the system's ANSI code page into out (256 bytes): at most 254 characters read, at most 255
// bytes written and a NUL, cut after the last whole character that fits. Always TRUE; an unreadable title
// gives an empty text.
BOOL windowTitleAnsi(HWND window, char* out);

} // namespace brovana
