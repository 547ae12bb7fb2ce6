// Which file a name reaches on file systems that find files under more names
// than they list: the short (8.3) names of FAT (the vfat driver) and of
// network shares from Windows, and case-insensitive lookups.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/platform.hpp"

namespace platform {

// Whether `file_name` in `folder`, which a lookup found as the file `found`,
// is that file's own name: the folder lists the file under it, or under a
// name that differs from it only in case (the lookup ignored case). Otherwise
// it is another file's alias, and FileError::other_name refuses replacing
// it, with the name the folder lists that file under (empty when no entry of
// the folder is that file).
FileOutcome check_not_an_alias(const std::string& folder, const std::string& file_name,
                               const struct stat& found);

}  // namespace platform
