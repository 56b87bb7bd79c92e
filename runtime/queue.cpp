// Field comparisons of queue rows described by Field.
#include "runtime/queue.h"

#include <cstdint>
#include <string_view>

#include "runtime/text.h"

namespace rt {

namespace {

std::int64_t number_at(const Field& f, const void* row) {
    const char* p = static_cast<const char*>(row) + f.offset;
    switch (f.type) {
    case FieldType::Byte:
        return static_cast<unsigned char>(*p);
    case FieldType::Short: {
        std::int16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case FieldType::Long: {
        std::int32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case FieldType::Text:
        break;
    }
    return 0;
}

} // namespace

int compare_field(const Field& f, const void* row_a, const void* row_b) {
    if (f.type == FieldType::Text) {
        const std::string_view a(static_cast<const char*>(row_a) + f.offset, f.size);
        const std::string_view b(static_cast<const char*>(row_b) + f.offset, f.size);
        const auto c = compare_padded(a, b);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    const std::int64_t a = number_at(f, row_a), b = number_at(f, row_b);
    return a < b ? -1 : a > b ? 1 : 0;
}

} // namespace rt
