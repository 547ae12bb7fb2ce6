// Checks of the record files that a scenario made, against the golden images
// in tests/golden: byte for byte, except the time stamp, which is taken from
// the file and checked against the clock read around the run.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "files.hpp"

namespace e2e {

using namespace harness;

// The local date and time to the minute, as a sortable tuple.
struct Minute {
    int year, month, day, hour, minute;
    auto operator<=>(const Minute&) const = default;
};
Minute local_minute_now();

enum class RecordKind { account, gm };

// Whole lines of the golden image to replace ("account-name = acct" by
// "account-name = other"), for records made from other entries.
using LineChanges = std::vector<std::pair<std::string, std::string>>;

// The account file of account "acct", password "pw", e-mail "mail", question
// "quiz", answer "answer"; the GM file of GM account "gmacct", GM name "GmName".
std::string golden_image(RecordKind kind);

// The record at `path` is the golden image with `changes`, with the time
// stamp of a minute from `before` to `after` (local time), written without
// leading zeros.
::testing::AssertionResult record_matches(const fs::path& path, RecordKind kind, const LineChanges& changes,
                                          const Minute& before, const Minute& after);

}  // namespace e2e
