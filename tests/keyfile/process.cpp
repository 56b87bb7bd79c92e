// Helper processes and temporary folders for the tests, on Windows and on the host.
#include "process.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace kt {

namespace {

std::filesystem::path self_folder() {
#ifdef _WIN32
    wchar_t buf[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
    return std::filesystem::path(std::wstring(buf, n)).parent_path();
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
#endif
}

} // namespace

Process spawn(const std::string& name, const std::vector<std::string>& args) {
    Process p;
#ifdef _WIN32
    const std::wstring exe = (self_folder() / (name + ".exe")).wstring();
    std::wstring cmd = L"\"" + exe + L"\"";
    for (const std::string& a : args)
        cmd += L" \"" + std::filesystem::path(a).wstring() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        p.handle = reinterpret_cast<long long>(pi.hProcess);
    }
#else
    const std::string exe = (self_folder() / name).string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), environ) == 0) p.handle = pid;
#endif
    return p;
}

void kill(Process& p) {
    if (!p.handle) return;
#ifdef _WIN32
    TerminateProcess(reinterpret_cast<HANDLE>(p.handle), 9);
#else
    ::kill(static_cast<pid_t>(p.handle), SIGKILL);
#endif
}

int wait(Process& p) {
    if (!p.handle) return -1;
#ifdef _WIN32
    const HANDLE h = reinterpret_cast<HANDLE>(p.handle);
    WaitForSingleObject(h, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(h, &code);
    CloseHandle(h);
    p.handle = 0;
    return static_cast<int>(code);
#else
    int status = 0;
    waitpid(static_cast<pid_t>(p.handle), &status, 0);
    p.handle = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
}

bool wait_for_file(const std::string& path, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

std::string temp_folder(const std::string& tag) {
    static std::atomic<int> serial{0};
#ifdef _WIN32
    const long pid = static_cast<long>(GetCurrentProcessId());
#else
    const long pid = static_cast<long>(getpid());
#endif
    const auto dir = std::filesystem::temp_directory_path() /
                     ("velquin-" + tag + "-" + std::to_string(pid) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string s = dir.string();
    s += static_cast<char>(std::filesystem::path::preferred_separator);
    return s;
}

std::string integrity(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* s = nullptr;
    std::string out = "<failed>";
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out;
}

} // namespace kt
