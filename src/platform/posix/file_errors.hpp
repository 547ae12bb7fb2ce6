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
// path is a file, not a folder, says which.
FileOutcome folder_failure(int error, const std::string& folder);

}  // namespace platform
