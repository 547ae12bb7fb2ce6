// Which part of a record's folder path stops a write, the same on every
// platform: only how a path is looked at differs.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.hpp"

namespace platform {

// What stands at a path.
enum class PathKind {
    folder,
    missing,
    not_a_folder,  // a file, or anything else that is not a folder
    unknown,       // it could not be looked at
};

// For an outcome of a missing folder: the tree folder, then the bucket
// folder of `folder`, the first that is missing (named in missing_folder),
// or that is there but is not a folder (the error becomes folder_is_a_file,
// named in not_a_folder). Any other outcome is left as it is.
void name_failed_folder(FileOutcome& outcome, const std::string& folder,
                        const std::function<PathKind(const std::string&)>& kind_of);

}  // namespace platform
