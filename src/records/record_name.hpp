// Which names may become record files. The records serve a Windows server, so
// Windows' rules hold on every platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace records {

// Why `name` cannot be the name of a record file, as a phrase that follows
// "the name ..." in a message; empty when the name is safe. A safe name puts
// the record inside its bucket folder and nowhere else.
std::optional<std::string> unsafe_name_reason(std::string_view name);

}  // namespace records
