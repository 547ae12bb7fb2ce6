// Lines from a standard input that is a file or a pipe, read through the C
// library's buffer: the same on every platform.
#pragma once

#include <cstddef>

#include "platform/platform.hpp"

namespace platform {

// The next line up to its line feed; a carriage return just before the line
// feed goes with it, and a last line without a line feed counts as a line.
// At most `bound` bytes are kept; the rest of a longer line is read and
// dropped, so no line can take more memory than that.
InputLine read_stdio_line(std::size_t bound);

}  // namespace platform
