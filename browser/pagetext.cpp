#include "browser/pagetext.h"

#include "browser/ansi.h"
#include "browser/app.h"
#include "browser/line_reader.h"

#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace brovana {

namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const noexcept { InternetCloseHandle(h); }
};
// An open WinINet handle (session, connection or request), closed when it goes.
using Internet = std::unique_ptr<void, InternetCloser>;

// The limits that Windows' WinINet keeps by default, so that no server can hold the caller for ever: a
// connection attempt, and each send and receive, give up after these; at most this many redirects are followed.
constexpr DWORD kConnectLimitMs = 60000;
constexpr DWORD kSendReceiveLimitMs = 30000;
constexpr int kMaxRedirects = 10;

// Wine's WinINet resets limits set on the session when it connects, so they go on every connection and request.
void setLimits(HINTERNET handle) {
    DWORD connect = kConnectLimitMs, sendReceive = kSendReceiveLimitMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &sendReceive, sizeof sendReceive);
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &sendReceive, sizeof sendReceive);
}

// Reload: always from the server, never from the cache.
constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY;

// An address split into what a connection and its request need.
struct Address {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    INTERNET_PORT port = 0;
    std::wstring host, user, password, target; // target: path and query, without the fragment
};

bool crack(const std::wstring& url, Address& out) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength =
        parts.dwUrlPathLength = parts.dwExtraInfoLength = 1; // point into url instead of copying
    if (url.empty() || !InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
    auto text = [](const wchar_t* p, DWORD n) { return p ? std::wstring(p, n) : std::wstring(); };
    out.scheme = parts.nScheme;
    out.port = parts.nPort;
    out.host = text(parts.lpszHostName, parts.dwHostNameLength);
    out.user = text(parts.lpszUserName, parts.dwUserNameLength);
    out.password = text(parts.lpszPassword, parts.dwPasswordLength);
    out.target = text(parts.lpszUrlPath, parts.dwUrlPathLength) + text(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    out.target.erase(std::min(out.target.find(L'#'), out.target.size()));
    if (out.target.empty()) out.target = L"/";
    return true;
}

DWORD statusOf(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
    return status;
}

// The address a redirect answer names, resolved against the address asked for; empty when it names none.
std::wstring redirectTarget(HINTERNET request, const std::wstring& base) {
    DWORD status = statusOf(request);
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) return {};
    DWORD size = 0;
    HttpQueryInfoW(request, HTTP_QUERY_LOCATION, nullptr, &size, nullptr);
    if (size == 0) return {};
    std::wstring location(size / sizeof(wchar_t) + 1, L'\0');
    if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) return {};
    location.resize(size / sizeof(wchar_t));
    DWORD length = INTERNET_MAX_URL_LENGTH;
    std::wstring combined(length, L'\0');
    if (!InternetCombineUrlW(base.c_str(), location.c_str(), combined.data(), &length, ICU_NO_ENCODE)) return {};
    combined.resize(length);
    return combined;
}

// An HTTP or HTTPS page with its connection, redirects followed here (at most kMaxRedirects): a redirect that names
// no address is the answer itself. Null on any error, also on one redirect too many.
struct OpenPage {
    Internet connection, request; // the request goes first (members go in reverse order)
};
OpenPage openHttp(HINTERNET session, std::wstring url) {
    for (int redirects = 0;; ++redirects) {
        Address address;
        if (!crack(url, address)) return {};
        OpenPage page;
        page.connection.reset(InternetConnectW(
            session, address.host.c_str(), address.port, address.user.empty() ? nullptr : address.user.c_str(),
            address.password.empty() ? nullptr : address.password.c_str(), INTERNET_SERVICE_HTTP, 0, 1));
        if (!page.connection) return {};
        setLimits(page.connection.get());
        DWORD flags = kOpenFlags | INTERNET_FLAG_NO_AUTO_REDIRECT;
        if (address.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
        page.request.reset(HttpOpenRequestW(page.connection.get(), L"GET", address.target.c_str(), nullptr, nullptr,
                                            nullptr, flags, 1));
        if (!page.request) return {};
        setLimits(page.request.get());
        if (!HttpSendRequestW(page.request.get(), nullptr, 0, nullptr, 0)) return {};
        std::wstring next = redirectTarget(page.request.get(), url);
        Address followed;
        if (next.empty() || !crack(next, followed) ||
            (followed.scheme != INTERNET_SCHEME_HTTP && followed.scheme != INTERNET_SCHEME_HTTPS))
            return page;
        if (redirects == kMaxRedirects) return {};
        url = std::move(next);
    }
}

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
    setLimits(session.get());
    OpenPage page;
    Address parsed;
    if (crack(address, parsed) && (parsed.scheme == INTERNET_SCHEME_HTTP || parsed.scheme == INTERNET_SCHEME_HTTPS)) {
        page = openHttp(session.get(), address);
    } else {
        // Other schemes the platform opens (FTP): its own way, with the limits on the session and the page.
        page.request.reset(InternetOpenUrlW(session.get(), address.c_str(), nullptr, 0, kOpenFlags, 1));
        if (page.request) setLimits(page.request.get());
    }
    if (!page.request) return -1;

    auto read = [&page](char* buffer, std::size_t capacity, std::size_t& got) {
        DWORD n = 0;
        if (!InternetReadFile(page.request.get(), buffer, static_cast<DWORD>(capacity), &n)) return false;
        got = n;
        return true;
    };
    LineReader<decltype(read)> reader(read);
    std::wstring text;
    std::string piece, carried;
    for (;;) {
        auto result = reader.next(piece);
        if (result == LineReader<decltype(read)>::Result::Failed) return -1;
        if (result == LineReader<decltype(read)>::Result::End) break;
        // A piece counts up to its first NUL byte. A character that the piece's end cuts waits for the rest of
        // its bytes in the next piece, so a long line decodes as if it had come in one read.
        std::size_t nul = piece.find('\0');
        carried.append(piece, 0, nul);
        std::size_t keep = nul == std::string::npos ? incompleteUtf8Tail(carried) : 0;
        std::string tail = carried.substr(carried.size() - keep);
        carried.resize(carried.size() - keep);
        text += Utf8ToWide(carried.c_str());
        carried = std::move(tail);
    }
    text += Utf8ToWide(carried.c_str());

    // The whole body is in: only now does the stored text change.
    std::string ansi = wideToThreadAnsi(text);
    ansi.resize(std::strlen(ansi.c_str()));
    page.request.reset();
    page.connection.reset();
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
