// Field comparisons of queue rows described by Field.
#include "runtime/queue.h"

#include <cstdint>
#include <string_view>

#include "runtime/text.h"

namespace rt {

int compare_field(const Field& f, const void* row_a, const void* row_b) {
    if (f.type == FieldType::Text) {
        const std::string_view a(static_cast<const char*>(row_a) + f.offset, f.size);
        const std::string_view b(static_cast<const char*>(row_b) + f.offset, f.size);
        const auto c = compare_padded(a, b);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    const std::int64_t a = field_number(f, row_a), b = field_number(f, row_b);
    return a < b ? -1 : a > b ? 1 : 0;
}

} // namespace rt
