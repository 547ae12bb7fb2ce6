// What a Windows error met while writing a record means to the operator.
#pragma once

#include <windows.h>

#include "platform/platform.hpp"

namespace platform {

// The closest category for `error`; `other` keeps codes no category fits.
// An access denial is the folder's here: where it is the record file's, the
// caller says so itself.
FileOutcome failure(DWORD error);

}  // namespace platform
