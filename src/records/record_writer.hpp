// How a record file is written: whole or not at all.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "console/dialogue.hpp"
#include "platform/platform.hpp"

namespace records {

// Builds the text of a record from the time it is written; lines end in "\n".
using ImageAssembler = std::function<std::string(const platform::Timestamp&)>;

// The record as stored on disk: every line feed as CR LF, nothing added.
std::string disk_bytes(std::string_view image);

// Stores the record of `name` in its bucket folder of `tree`, replacing any
// earlier record of that name in one step where `replacing` allows it. Gives
// the message for the operator when nothing could be stored (an unsafe name,
// a missing folder, a full disk, a record that may not be replaced...).
std::optional<std::string> store_record(std::string_view tree, std::string_view name,
                                        const ImageAssembler& assemble,
                                        platform::Replacing replacing = platform::Replacing::allowed);

// Stores the record unless the dialogue's entries refuse it (or its name was
// cut and a record of the cut name exists), tells the operator how it went
// (`success_message` and the dialogue's notices only if it was stored), then
// "\n" and the pause.
void write_record(std::string_view tree, std::string_view name, const ImageAssembler& assemble,
                  std::string_view success_message, const console::Dialogue& dialogue);

}  // namespace records
