// Benchmark of the RTF clean-up: a body of 2,000,000 bytes holding 10,000 language tags, cleaned in one pass,
// beside a plain copy of the same text (the bare cost) and beside the find-cut-search-again loops.
//   rtfclean_bench
#include "organizer/rtfclean.h"
#include "tests/organizer/rtf_loops.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

// A body of `size` bytes: a font table naming Calibri as \f1, then runs of text, every one tagged.
std::string body(std::size_t size, int tags) {
    std::string text = "{\\rtf1\\ansi\\ansicpg949{\\fonttbl{\\f0\\fnil\\fcharset129 Gulim;}{\\f1\\fswiss\\fcharset0 "
                       "Calibri;}}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    const char* words[] = {"\\f1\\lang1033 ", "\\lang1042 ", "\\lang1033 "};
    const std::size_t run = (size - text.size()) / static_cast<std::size_t>(tags);
    for (int i = 0; i < tags; ++i) {
        std::string piece = words[i % 3];
        piece.resize(run, i % 2 ? 'x' : 'y');
        text += piece;
    }
    text.resize(size, '}');
    return text;
}

// Seconds per run of clean() on a copy of the text, over `repeat` runs; the copy alone when clean is null.
double seconds(const std::string& text, void (*clean)(std::string&), int repeat, std::size_t& left) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < repeat; ++i) {
        std::string t = text;
        if (clean) clean(t);
        left = t.size();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / repeat;
}

} // namespace

int main() {
    const std::string text = body(2000000, 10000);
    std::size_t copied = 0, one_pass_left = 0, loops_left = 0;
    const double copy = seconds(text, nullptr, 20, copied);
    const double one_pass = seconds(text, velquin::clean_rtf, 20, one_pass_left);
    const double loops = seconds(text, rtf_loops::clean, 1, loops_left);
    std::printf("2,000,000 bytes with 10,000 language tags:\n");
    std::printf("  one pass       %.4f s (%zu bytes left)\n", one_pass, one_pass_left);
    std::printf("  copy alone     %.4f s\n", copy);
    std::printf("  the loops      %.4f s (%zu bytes left)\n", loops, loops_left);
    return one_pass_left == loops_left ? 0 : 1;
}
