// Answers, as its exit code, what Brovana's WinVersion gives in a process of its own; the test sets the Windows
// version that Wine reports to this program before starting it.
#include "tests/browser/brovana_library.h"

int main() {
    BrovanaLibrary lib;
    auto version = lib.get<BYTE(__stdcall*)()>(46);
    return version ? version() : 1000;
}
