// Splitting a byte stream into line pieces: where pieces end, and how the end and errors show. (What the pieces
// become is tested through the page fetch.)
#include "browser/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Hands out a text in reads of at most `step` bytes; fails instead of the read number `failAt` (counting from 1).
struct Chunks {
    std::string data;
    std::size_t step = 4096;
    int failAt = 0;
    std::size_t pos = 0;
    int reads = 0;

    bool operator()(char* buffer, std::size_t capacity, std::size_t& got) {
        if (++reads == failAt) return false;
        std::size_t n = std::min({step, capacity, data.size() - pos});
        data.copy(buffer, n, pos);
        pos += n;
        got = n;
        return true;
    }
};

using Reader = brovana::LineReader<Chunks&>;

// All pieces until the end; "!" is appended when the source failed.
std::vector<std::string> pieces(Chunks& source) {
    Reader reader(source);
    std::vector<std::string> out;
    std::string piece;
    for (;;) {
        auto r = reader.next(piece);
        if (r == Reader::Result::End) break;
        if (r == Reader::Result::Failed) {
            out.push_back("!");
            break;
        }
        out.push_back(piece);
    }
    return out;
}

using Pieces = std::vector<std::string>;

TEST(LineReader, LongLineComesInPiecesOfAtMost2046Bytes) {
    std::string line(5000, 'x');
    Chunks body{line + "\nend"};
    Pieces got = pieces(body);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].size(), 2046u);
    EXPECT_EQ(got[1].size(), 2046u);
    EXPECT_EQ(got[2], std::string(908, 'x') + "\n");
    EXPECT_EQ(got[3], "end");

    // A line of exactly 2046 bytes fills one piece; its line feed comes alone.
    Chunks exact{std::string(2046, 'y') + "\nz"};
    got = pieces(exact);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], std::string(2046, 'y'));
    EXPECT_EQ(got[1], "\n");
    EXPECT_EQ(got[2], "z");

    // Dropped carriage returns do not take room in a piece.
    Chunks crs{std::string(2046, 'q') + std::string(5, '\r') + "\n"};
    got = pieces(crs);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], std::string(2046, 'q'));
    EXPECT_EQ(got[1], "\n");
}

TEST(LineReader, PiecesDoNotDependOnHowTheSourceDeliversBytes) {
    std::string text = "first\r\nsecond line\r\n" + std::string(3000, 'w') + "\r\nlast";
    Chunks whole{text};
    Pieces expected = pieces(whole);
    for (std::size_t step : {1u, 2u, 7u, 2046u, 2047u, 4095u}) {
        Chunks trickle{text, step};
        EXPECT_EQ(pieces(trickle), expected) << "reads of " << step << " bytes";
    }
}

TEST(LineReader, SourceErrorIsReportedAndNotTakenForTheEnd) {
    Chunks failsFirst{"abc", 4096, 1};
    EXPECT_EQ(pieces(failsFirst), Pieces{"!"});
    Chunks failsLater{"abc\ndef", 2, 2};
    EXPECT_EQ(pieces(failsLater), (Pieces{"!"})) << "the error came inside the first line";
    Chunks failsAfterLine{"abc\ndef", 4, 2};
    EXPECT_EQ(pieces(failsAfterLine), (Pieces{"abc\n", "!"}));
}

TEST(LineReader, OnlyCarriageReturnsMakeAnEmptyPieceAndTheSourceIsNotReadAfterItsEnd) {
    Chunks onlyCr{"\r"};
    EXPECT_EQ(pieces(onlyCr), (Pieces{""}));
    Chunks empty{""};
    EXPECT_EQ(pieces(empty), Pieces{});

    Chunks body{"a\n"};
    Reader reader(body);
    std::string piece;
    EXPECT_EQ(reader.next(piece), Reader::Result::Piece);
    EXPECT_EQ(reader.next(piece), Reader::Result::End);
    int reads = body.reads;
    EXPECT_EQ(reader.next(piece), Reader::Result::End);
    EXPECT_EQ(body.reads, reads);
}

// How many bytes at a piece's end wait for the next piece: the started character's bytes, only while it lacks some.
TEST(Utf8Tail, OnlyACharacterThatLacksBytesWaits) {
    const struct {
        std::string text;
        std::size_t waiting;
    } rows[] = {
        {"", 0},
        {"abc", 0},
        {"a\xC2", 1},
        {"a\xC2\xB1", 0},
        {"a\xED", 1},
        {"a\xED\x95", 2},
        {"a\xED\x95\x9C", 0},
        {"\xF0", 1},
        {"\xF0\xA0\x80", 3},
        {"\xF0\xA0\x80\x80", 0},
        {"a\x95\x9C", 0},        // continuation bytes with no start: nothing can complete them
        {"\x80\x80\x80\x80", 0}, //
        {"a\xFF", 0},            // not a start of any character
        {"\xED\x95\x9C\xC2", 1}, // after a whole character
        {"\xF0\xA0\x80\x80\xED\x95", 2},
    };
    for (const auto& row : rows)
        EXPECT_EQ(brovana::incompleteUtf8Tail(row.text), row.waiting) << testing::PrintToString(row.text);
}

} // namespace
