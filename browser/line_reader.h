// Splits a byte stream into the pieces that a line-by-line text read returns, and finds where a piece cuts a UTF-8
// character. Portable: no Win32 here, so the host build tests it too.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace brovana {

// Reads a byte source in pieces: a piece ends after a line feed, or once it holds kMaxPiece bytes (a longer line
// comes in several pieces). Carriage returns are dropped and do not count; the line feed stays in its piece.
//
// Source is a callable bool(char* buffer, std::size_t capacity, std::size_t& got): false on a read error,
// true with got == 0 at the end of the data.
template <class Source> class LineReader {
public:
    static constexpr std::size_t kMaxPiece = 2046;

    enum class Result {
        Piece,  // piece holds the next piece (it may be empty when the read took only carriage returns)
        End,    // the end of the data, nothing taken
        Failed, // the source reported an error
    };

    explicit LineReader(Source source) : source_(std::forward<Source>(source)) {}

    Result next(std::string& piece) {
        piece.clear();
        bool took = false;
        while (piece.size() < kMaxPiece) {
            if (pos_ == len_) {
                if (ended_) break;
                std::size_t got = 0;
                if (!source_(block_, sizeof block_, got)) return Result::Failed;
                if (got == 0) {
                    ended_ = true;
                    break;
                }
                pos_ = 0;
                len_ = got < sizeof block_ ? got : sizeof block_;
            }
            char c = block_[pos_++];
            took = true;
            if (c == '\r') continue;
            piece.push_back(c);
            if (c == '\n') break;
        }
        return took ? Result::Piece : Result::End;
    }

private:
    Source source_;
    char block_[4096];    // bytes read from the source and not yet handed out
    std::size_t pos_ = 0; // next byte of block_ to hand out
    std::size_t len_ = 0; // bytes in block_
    bool ended_ = false;  // the source reported the end of the data
};

// The bytes at the end of text that start a UTF-8 character whose last bytes are still missing (at most 3); the
// next piece of the same line completes it. 0 when text ends on a whole character, or on bytes that no following
// byte could complete (they are decoded as they are).
inline std::size_t incompleteUtf8Tail(const std::string& text) {
    std::size_t n = text.size();
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        auto b = static_cast<unsigned char>(text[n - back]);
        if ((b & 0xC0) == 0x80) continue; // a continuation byte: the start lies further back
        std::size_t length = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

} // namespace brovana
