// Which file a name reaches on Windows file systems, which find files by
// their short (8.3) names too: NTFS where it makes them (system drives by
// default), FAT always.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.hpp"

namespace platform {

// Whether `file_name` is the own name of the file that the path `target`
// (ending in it) reaches, compared as the file system compares names: without
// regard to case. Otherwise it is that file's short name, and
// FileError::other_name refuses replacing it, with the file's own name.
FileOutcome check_not_an_alias(const std::wstring& target, std::wstring_view file_name);

}  // namespace platform
