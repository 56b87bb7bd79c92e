// A DLL built the way Brovana.dll is, with nothing of its own but the C++ runtime's strings and exceptions: what a
// load and unload of it leaves behind is the runtime's share (its exception buffer among it), the baseline of the
// library's leak test. Never shipped.
#include <windows.h>

#include <stdexcept>
#include <string>

std::wstring baselineText;

extern "C" __declspec(dllexport) int __stdcall BaselineThrow() {
    try {
        throw std::runtime_error("baseline");
    } catch (const std::exception&) {
        return 1;
    }
}
