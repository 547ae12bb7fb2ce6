// What the operator is told when a record cannot be stored: for every reason
// a write can fail, why, and the next step (the menu option, the command to
// type, the user to start the program as), then what the failure left.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.hpp"

namespace records {

// The message for the record of `name` in `tree` (an ANSI name that is safe
// as a file name) whose write failed with `outcome`, in the program's one
// shape for failures (see text/messages.hpp).
std::string write_failure(std::string_view tree, std::string_view name, const platform::FileOutcome& outcome);

}  // namespace records
