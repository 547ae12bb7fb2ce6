// Paths for the wide file functions, which take paths beyond MAX_PATH.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The absolute form of `path`, whose bytes are in the ANSI code page, exactly
// as the ...A file functions would resolve it. Empty on failure, with the
// reason in GetLastError.
std::wstring full_path(std::string_view path);

// The absolute path `full` with the prefix that lifts the MAX_PATH limit
// ("\\?\", or "\\?\UNC\" for a network share). The prefix also turns off the
// clean-up that Windows does to names, so `full` must already be clean.
std::wstring long_path(std::wstring_view full);

}  // namespace platform
