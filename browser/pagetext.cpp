#include "browser/pagetext.h"

#include "browser/ansi.h"
#include "browser/app.h"
#include "browser/line_reader.h"

#include <wininet.h>

#include <cstring>
#include <memory>

namespace brovana {

namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const noexcept { InternetCloseHandle(h); }
};
// An open WinINet handle (session or page), closed when it goes.
using Internet = std::unique_ptr<void, InternetCloser>;

// Unmappable characters become the code page's default character.
std::string wideToThreadAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    int len = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string ansi(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), len, ansi.data(), n, nullptr, nullptr);
    return ansi;
}

} // namespace

std::wstring Utf8ToWide(const char* bytes) {
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes, -1, nullptr, 0);
    if (n < 0) n = 0;
    std::unique_ptr<wchar_t[]> buffer(new wchar_t[static_cast<std::size_t>(n) + 1]);
    MultiByteToWideChar(CP_UTF8, 0, bytes, -1, buffer.get(), n);
    buffer[static_cast<std::size_t>(n)] = L'\0';
    return std::wstring(buffer.get());
}

std::int32_t fetchPage(CBrovanaApp& app, const char* url) {
    if (!url) return -1;
    std::wstring address = fromAnsi(url);

    Internet session(InternetOpenW(app.appName.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return -1;
    // Reload: always from the server, never from the cache. Context 1 (no status callback is installed).
    Internet page(InternetOpenUrlW(session.get(), address.c_str(), nullptr, 0,
                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY, 1));
    if (!page) return -1;

    auto read = [&page](char* buffer, std::size_t capacity, std::size_t& got) {
        DWORD n = 0;
        if (!InternetReadFile(page.get(), buffer, static_cast<DWORD>(capacity), &n)) return false;
        got = n;
        return true;
    };
    LineReader<decltype(read)> reader(read);
    std::wstring text;
    std::string piece;
    for (;;) {
        auto result = reader.next(piece);
        if (result == LineReader<decltype(read)>::Result::Failed) return -1;
        if (result == LineReader<decltype(read)>::Result::End) break;
        text += Utf8ToWide(piece.c_str()); // c_str(): the piece counts up to its first NUL byte
    }

    // The whole body is in: only now does the stored text change.
    std::string ansi = wideToThreadAnsi(text);
    ansi.resize(std::strlen(ansi.c_str()));
    page.reset();
    app.HtmlText = std::move(ansi);
    app.HtmlLength = static_cast<std::int32_t>(app.HtmlText.size());
    session.reset();
    return app.HtmlLength;
}

const char* pageSource(const CBrovanaApp& app) {
    return app.HtmlLength == 0 ? nullptr : app.HtmlText.c_str();
}

void clearPage(CBrovanaApp& app) {
    app.HtmlText.assign(1, ' ');
}

BOOL windowTitleAnsi(HWND window, char* out) {
    wchar_t title[255];
    int n = GetWindowTextW(window, title, 255);
    if (n < 0) n = 0;
    std::size_t used = 0;
    // Character by character, so that the cut never splits a double-byte character or a surrogate pair.
    for (int i = 0; i < n;) {
        int units = IS_HIGH_SURROGATE(title[i]) && i + 1 < n && IS_LOW_SURROGATE(title[i + 1]) ? 2 : 1;
        char bytes[8];
        int b = WideCharToMultiByte(CP_ACP, 0, title + i, units, bytes, sizeof bytes, nullptr, nullptr);
        if (b <= 0 || used + static_cast<std::size_t>(b) > 255) break;
        std::memcpy(out + used, bytes, static_cast<std::size_t>(b));
        used += static_cast<std::size_t>(b);
        i += units;
    }
    out[used] = '\0';
    return TRUE;
}

} // namespace brovana
