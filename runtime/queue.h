// Queues: lists of rows held in memory with a row buffer, as the list and tree controls show them. A queue is
// its own row buffer (Queue<Row> derives from Row), so `Q2.SUBJ` is the buffer's field and `Q2.add()` appends
// it. Row numbers count from 1. Failed operations leave ERR_ENTRY_NOT_FOUND in the data layer's error state.
#pragma once

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstring>
#include <vector>

#include "runtime/keyfile.h"

namespace rt {

// Three-way comparison of one field of two rows described by a Field (numbers as numbers, text by its bytes).
int compare_field(const Field& f, const void* row_a, const void* row_b);

// An ascending (or descending) comparison of rows by one member: -1, 0 or 1.
template <class Row, class T> auto asc(T Row::*member) {
    return [member](const Row& a, const Row& b) {
        const auto c = a.*member <=> b.*member;
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    };
}
template <class Row, class T> auto desc(T Row::*member) {
    return [member](const Row& a, const Row& b) {
        const auto c = a.*member <=> b.*member;
        return c < 0 ? 1 : c > 0 ? -1 : 0;
    };
}
// Rows compared by a described field (chosen at run time, e.g. by column number).
template <class Row> auto by_field(const Field& f, bool descending = false) {
    return [f, descending](const Row& a, const Row& b) {
        const int c = compare_field(f, &a, &b);
        return descending ? -c : c;
    };
}

// A strict ordering ("a before b") from three-way comparisons taken in turn.
template <class... Cmp> auto order(Cmp... cmp) {
    return [=](const auto& a, const auto& b) {
        int r = 0;
        ((r = r != 0 ? r : cmp(a, b)), ...);
        return r < 0;
    };
}

template <class Row> class Queue : public Row {
public:
    using row_type = Row;

    Row& buffer() { return *this; }
    const Row& buffer() const { return *this; }

    // Appends the buffer; it becomes the current row.
    void add() {
        rows_.push_back(buffer());
        pointer_ = rows_.size();
        set_error(0);
    }
    // Inserts the buffer at its place in an order (after the rows that do not come after it).
    template <class Before> void add(Before before) {
        const auto it = std::upper_bound(rows_.begin(), rows_.end(), buffer(), before);
        pointer_ = static_cast<std::size_t>(it - rows_.begin()) + 1;
        rows_.insert(it, buffer());
        set_error(0);
    }

    // Copies row n into the buffer.
    void get(std::size_t n) {
        if (n < 1 || n > rows_.size()) return set_error(ERR_ENTRY_NOT_FOUND);
        buffer() = rows_[n - 1];
        pointer_ = n;
        set_error(0);
    }
    // Copies the first row whose given members equal the buffer's into the buffer.
    template <class... T> void get_by(T Row::*... members) {
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (((rows_[i].*members == buffer().*members) && ...)) {
                buffer() = rows_[i];
                pointer_ = i + 1;
                return set_error(0);
            }
        set_error(ERR_ENTRY_NOT_FOUND);
    }
    // Writes the buffer back to the current row.
    void put() {
        if (pointer_ < 1 || pointer_ > rows_.size()) return set_error(ERR_ENTRY_NOT_FOUND);
        rows_[pointer_ - 1] = buffer();
        set_error(0);
    }
    // Removes the current row; the buffer keeps its values.
    void del() {
        if (pointer_ < 1 || pointer_ > rows_.size()) return set_error(ERR_ENTRY_NOT_FOUND);
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(pointer_ - 1));
        set_error(0);
    }
    // Sorts the rows in an order; rows that compare equal keep their order.
    template <class Before> void sort(Before before) {
        std::stable_sort(rows_.begin(), rows_.end(), before);
        set_error(0);
    }
    // Removes every row; the buffer keeps its values.
    void free() {
        rows_.clear();
        pointer_ = 0;
        set_error(0);
    }

    // Makes room for n rows at once, so that a fill of that many copies no rows while it grows.
    void reserve(std::size_t n) { rows_.reserve(n); }

    std::size_t records() const { return rows_.size(); }
    // Number of the current row (the one last added, read or found), 0 when none.
    std::size_t pointer() const { return pointer_; }
    // Row n (from 1) for reading, as list controls do; n must be in range.
    const Row& row(std::size_t n) const { return rows_[n - 1]; }

private:
    std::vector<Row> rows_;
    std::size_t pointer_ = 0;
};

} // namespace rt
