// The compound file that holds an .xls workbook's stream.
#pragma once

#include "xl/spill.h"

#include <cstdint>

namespace xl {

// The caller reserved 512 bytes for the header and wrote the workbook stream (stream_size bytes) right after
// them; this pads the stream, writes the directory and allocation sectors and then the header. False when the
// output failed or the stream is too large for the format.
bool finish_compound_file(Output& out, std::uint64_t stream_size);

} // namespace xl
