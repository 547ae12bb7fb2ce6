// Menu option "2": a new account file from a short dialogue.
#pragma once

#include <string>

#include "platform/platform.hpp"

namespace records {

struct AccountEntries {
    std::string name;
    std::string password;
    std::string email;
    std::string question;
    std::string answer;
};

// The 23 lines of an account file, each ended by a line feed.
std::string account_image(const AccountEntries& entries, const platform::Timestamp& time);

// Asks for the account's name, password, e-mail and secret question and
// answer, and writes its file into the "Account" tree.
void create_account();

}  // namespace records
