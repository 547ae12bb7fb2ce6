// Where records live: a tree folder ("Account" or "Character"), a bucket
// folder named after the code of the name's first byte, and the record file.
#pragma once

#include <string>
#include <string_view>

namespace records {

inline constexpr std::string_view account_tree = "Account";
inline constexpr std::string_view character_tree = "Character";

// The bucket folders that option "1" makes: those of the account tree from
// 1 to 249 (the server's own range, not 255). No option makes any other.
inline constexpr int first_made_bucket = 1;
inline constexpr int last_made_bucket = 249;
bool made_by_option_one(std::string_view tree, int number);

// The first byte of `name` read as a signed 8-bit value: 0 for an empty name,
// -128 to -1 for a first byte of 128 or more.
int bucket_number(std::string_view name);

// The bucket folder `number` of `tree`, such as Account/AscII97.
std::string bucket_folder(std::string_view tree, int number);

// The record file of `name` in `tree`, such as Account/AscII97/acct.txt.
std::string bucket_path(std::string_view tree, std::string_view name);

// The file name of a record inside its bucket folder.
std::string record_file_name(std::string_view name);

}  // namespace records
