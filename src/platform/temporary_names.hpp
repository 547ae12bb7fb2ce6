// The program's temporary files, as both platforms name them, and when one is
// a leftover that a crash or a power loss left behind. Both rules hold on
// either platform, so that a data folder shared between them is swept alike.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Every temporary file of this program starts so.
inline constexpr std::string_view temporary_prefix = ".qkeditor-";

// A write of the record file `acct.txt` first tries the temporary name
// ".qkeditor-acct.txt.tmp", the prefix, the record's file name and this:
// so a write finds its own record's leftover by that name alone, without
// listing the folder. Where another write of the record holds that name (or
// a leftover too young to be removed), it takes a name of its own.
inline constexpr std::string_view record_temporary_suffix = ".tmp";

// Whether `name` has exactly the form of this program's temporary files: the
// prefix, then a record's file name (ending in ".txt") and ".tmp"; or six
// letters or digits (POSIX, as mkstemp makes them); or the process number in
// hexadecimal, a hyphen and a serial number (Windows). No record has it:
// records end in ".txt".
bool is_temporary_name(std::string_view name);

// Whether the file `name`, last written at `written`, is a temporary file
// that a crash left: more than ten minutes older than `now`. Both times are
// seconds read from the clock of the file system that holds the file, never
// the local clock, which may be far from a network share's.
bool is_leftover(std::string_view name, std::int64_t written, std::int64_t now);

}  // namespace platform
