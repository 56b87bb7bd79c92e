// The rows a list or tree control shows, read through a small interface instead of copies.
#pragma once

#include <cstddef>
#include <functional>

#include "runtime/keyfile.h"
#include "runtime/queue.h"

namespace rt {

// The rows a control shows: their number, row n (from 1) and the description of a row's fields.
struct RowSource {
    std::function<std::size_t()> rows;
    std::function<const void*(std::size_t)> row;
    const Field* fields = nullptr;
    std::size_t field_count = 0;
};
template <class Row> RowSource rows_of(const Queue<Row>& q, const Field* fields, std::size_t count) {
    return {[&q] { return q.records(); }, [&q](std::size_t n) -> const void* { return &q.row(n); }, fields, count};
}

} // namespace rt
