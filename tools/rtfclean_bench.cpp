// Benchmark of the RTF clean-up: a body of 2,000,000 bytes holding 10,000 language tags, cleaned in one pass,
// beside a plain copy of the same text (the bare cost) and beside the find-cut-search-again loops, which run on
// a tenth of the text (a tenth of the tags) because on the whole text they take minutes.
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

double seconds(auto&& f, int repeat) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < repeat; ++i)
        f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / repeat;
}

} // namespace

int main() {
    const std::string big = body(2000000, 10000), small = body(200000, 1000);
    std::size_t sink = 0;
    const double copy = seconds([&] { std::string t = big; sink += t.size(); }, 20);
    const double one_pass = seconds([&] { std::string t = big; velquin::clean_rtf(t); sink += t.size(); }, 20);
    const double one_pass_small = seconds([&] { std::string t = small; velquin::clean_rtf(t); sink += t.size(); }, 20);
    const double loops_small = seconds([&] { std::string t = small; rtf_loops::clean(t); sink += t.size(); }, 1);
    std::string a = big;
    velquin::clean_rtf(a);
    std::printf("2,000,000 bytes, 10,000 tags: one pass %.4f s (copying the text alone %.4f s), %zu bytes left\n",
                one_pass, copy, a.size());
    std::printf("200,000 bytes, 1,000 tags: one pass %.5f s, the loops %.3f s\n", one_pass_small, loops_small);
    std::printf("the loops grow with tags x length: on the whole text about %.0f s\n", loops_small * 100);
    return sink == 0;
}
