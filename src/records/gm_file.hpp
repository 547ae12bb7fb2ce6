// Menu option "4": a ready-made game-master character file.
#pragma once

#include <string>

#include "platform/platform.hpp"

namespace records {

struct GmEntries {
    std::string account;
    std::string name;
};

// The 99 lines of a GM character file, with no line feed after the last.
std::string gm_image(const GmEntries& entries, const platform::Timestamp& time);

// Asks for the GM's account and name, and writes the character file into
// the "Character" tree, under the bucket of the GM's name.
void create_gm();

}  // namespace records
