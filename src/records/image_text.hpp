// Pieces that the record images are made of.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/platform.hpp"

namespace records {

// Year, month, day, hour and minute, without leading zeros, with `separator`
// between them.
std::string time_fields(const platform::Timestamp& time, char separator);

// `piece` written `times` times.
std::string repeated(std::string_view piece, int times);

// The lines with a line feed after each one, the last included.
std::string lines_each_ended(std::span<const std::string> lines);

// The lines with a line feed between them, none after the last.
std::string lines_joined(std::span<const std::string> lines);

}  // namespace records
