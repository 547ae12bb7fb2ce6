// How a record file is written: whole or not at all. The life of a write
// (platform::replace_file):
//   temporary file in the record's folder, private: ".qkeditor-acct.txt.tmp"
//     where free (an old leftover of the record's found there is removed),
//     else a name of its own -> content -> identity (the old record's
//     permissions and owner, or the umask's) -> sync -> placement (a rename
//     onto the record; for a cut name one that never replaces, or a claim of
//     the name with an empty file) -> folder sync.
// What is left: a signal or a console event removes the temporary file; a
// crash or a power loss leaves it beside the old record, for the next write
// of the record (or option "1") to remove once ten minutes old, and where the
// name was claimed an empty file under it, which the next write replaces; a
// failure leaves the old record, and says so, or says what stands in its
// place: a claim that could not be removed, or on Windows the new content
// kept as "acct.txt.nuevo" where a replacement took the old record away.
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

// What the operator is told of a record write.
struct StoreOutcome {
    // Why nothing was stored (an unsafe name, a missing folder, a full disk,
    // a record that may not be replaced...), and what was left; empty when
    // the record was stored.
    std::optional<std::string> failure;
    // When it was stored: what it replaced, where that is not a record.
    std::string notice = {};
};

// Stores the record of `name` in its bucket folder of `tree`, replacing any
// earlier record of that name in one step where `replacing` allows it.
StoreOutcome store_record(std::string_view tree, std::string_view name, const ImageAssembler& assemble,
                          platform::Replacing replacing = platform::Replacing::allowed);

// Stores the record unless the dialogue's entries refuse it (or its name was
// cut and a record of the cut name exists), tells the operator how it went
// (`success_message` and the dialogue's notices only if it was stored), then
// "\n" and the pause.
void write_record(std::string_view tree, std::string_view name, const ImageAssembler& assemble,
                  std::string_view success_message, const console::Dialogue& dialogue);

}  // namespace records
