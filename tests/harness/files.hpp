// Whole-file reads and writes, and listings of folders.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace harness {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path);
void write_file(const fs::path& path, std::string_view bytes);

// The names in `folder`, sorted; empty when it does not exist.
std::vector<std::string> entries_of(const fs::path& folder);

// Every file and folder below `root`, as relative paths ("Account/AscII97/acct.txt"),
// folders with a trailing "/", sorted.
std::vector<std::string> tree_listing(const fs::path& root);

// Bytes made readable for a report: control bytes as \xNN, line feeds kept.
std::string visible(std::string_view bytes);

}  // namespace harness
