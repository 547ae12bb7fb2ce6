// What a POSIX error met while writing a record means to the operator.
#pragma once

#include <string>

#include "platform/platform.hpp"

namespace platform {

// The closest category for `error`, an errno value; `other` keeps codes no
// category fits. An access denial is the folder's here: where it is the
// record file's, the caller says so itself.
FileOutcome failure(int error);

// The same for an error met on the way into `folder`: where a part of its
// path is missing, or is a file, not a folder, says which.
FileOutcome folder_failure(int error, const std::string& folder);

// Where a permission refused the write, names the user that the program runs
// as, and the owner of `folder` or of the `record` file, whichever refused.
void name_users(FileOutcome& outcome, const std::string& folder, const std::string& record);

}  // namespace platform
