#include "platform/posix/listed_name.hpp"

#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <string_view>

#include "text/entry_text.hpp"

namespace platform {
namespace {

char32_t ascii_upper(char32_t c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

// A name as file systems that ignore case compare it: where it is UTF-8, its
// characters upper-cased as Unicode has them (NTFS, exFAT, network shares);
// otherwise its bytes, with the ASCII letters upper-cased.
std::u32string without_case(std::string_view name) {
    static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    std::u32string characters;
    for (std::string_view rest = name; !rest.empty();) {
        const text::Utf8Character character = text::next_utf8_character(rest);
        if (!character.valid) {
            characters.clear();
            for (const char byte : name) characters.push_back(ascii_upper(static_cast<unsigned char>(byte)));
            return characters;
        }
        characters.push_back(unicode != nullptr ? ::towupper_l(character.code_point, unicode)
                                                : ascii_upper(character.code_point));
        rest.remove_prefix(character.length);
    }
    return characters;
}

bool is_dot_or_dot_dot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Whether the folder lists `file_name` itself, or a name that differs from
// it only in case.
bool lists_name(DIR* entries, const std::string& file_name) {
    const std::u32string wanted = without_case(file_name);
    bool differing_in_case = false;
    while (const dirent* entry = ::readdir(entries)) {
        if (entry->d_name == file_name) return true;
        differing_in_case = differing_in_case || without_case(entry->d_name) == wanted;
    }
    return differing_in_case;
}

// The name under which the folder lists the file `found`; empty if none.
std::string listed_name_of(DIR* entries, const struct stat& found) {
    ::rewinddir(entries);
    while (const dirent* entry = ::readdir(entries)) {
        struct stat info {};
        if (is_dot_or_dot_dot(entry->d_name) ||
            ::fstatat(::dirfd(entries), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (info.st_dev == found.st_dev && info.st_ino == found.st_ino) return entry->d_name;
    }
    return {};
}

}  // namespace

// On most file systems a lookup finds only what the folder lists, so the
// first pass ends at the name itself; the second, which asks for each
// entry's file, runs only where the file system found the file otherwise. A
// folder that cannot be listed (write and search permission without read)
// is taken at its word.
FileOutcome check_not_an_alias(const std::string& folder, const std::string& file_name,
                               const struct stat& found) {
    DIR* const entries = ::opendir(folder.c_str());
    if (entries == nullptr) return {};
    FileOutcome outcome;
    if (!lists_name(entries, file_name)) {
        outcome = {FileError::other_name, EEXIST};
        outcome.listed_name = listed_name_of(entries, found);
    }
    ::closedir(entries);
    return outcome;
}

}  // namespace platform
