// Which names may become record files. The records serve a Windows server, so
// Windows' rules hold on every platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/entry_text.hpp"

namespace records {

// Why `name`, in `code_page`, cannot be the name of a record file, as a
// phrase that follows "the name ..." in a message; empty when the name is
// safe. A safe name puts the record inside its bucket folder and nowhere
// else. The characters are looked at, not the bytes: in a double-byte code
// page the second byte of a character may be "\" or "|", and the byte of
// a superscript digit in 1252 is a letter in other code pages.
std::optional<std::string> unsafe_name_reason(std::string_view name, const text::CodePage& code_page);

}  // namespace records
