// Starting another program with one argument, without a shell.
#include "runtime/launch.h"

#ifdef _WIN32
#include <windows.h>

#include "runtime/driver.h"

#include "runtime/text.h"
#include "runtime/win32.h"
#endif

namespace rt {

namespace {

// One argument in quotes. Backslashes are literal except before a quote, where each must be doubled and the
// quote itself escaped; a trailing run of backslashes is doubled because the closing quote follows it.
std::string quote(std::string_view arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

} // namespace

std::string command_line(std::string_view program, std::string_view argument) {
    // A program path holds no quote (the platform forbids it in file names).
    return "\"" + std::string(program) + "\" " + quote(argument);
}

#ifdef _WIN32
bool start_program(std::string_view program, std::string_view argument) {
    const std::string command = command_line(program, argument);
    if (Driver* d = installed_driver()) return d->start_program(command);
    const std::wstring path = wide(program);
    std::wstring line = wide(command);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        report_failure("CreateProcessW", command);
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

std::string page_address(std::string_view address) {
    if (Driver* d = installed_driver()) return d->page_address(address);
    return std::string(address);
}
#endif

} // namespace rt
