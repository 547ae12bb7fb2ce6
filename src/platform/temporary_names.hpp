// The program's temporary files, as both platforms name them, and when one is
// a leftover that a crash or a power loss left behind. Both rules hold on
// either platform, so that a data folder shared between them is swept alike.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Every temporary file of this program starts so.
inline constexpr std::string_view temporary_prefix = ".qkeditor-";

// Whether `name` has exactly the form of this program's temporary files: the
// prefix, then six letters or digits (POSIX, as mkstemp makes them), or the
// process number in hexadecimal, a hyphen and a serial number (Windows). No
// record has it: records end in ".txt".
bool is_temporary_name(std::string_view name);

// Whether the file `name`, last written at `written`, is a temporary file
// that a crash left: more than ten minutes older than `now`. Both times are
// seconds read from the clock of the file system that holds the file, never
// the local clock, which may be far from a network share's.
bool is_leftover(std::string_view name, std::int64_t written, std::int64_t now);

}  // namespace platform
