#include "platform/posix/listed_name.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

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

// Whether the file system of `folder` finds a file only by the very name that
// the folder lists it under: no short names, and no case folding (which
// ext4, f2fs and tmpfs may do for the folders marked so). Elsewhere (FAT,
// exFAT, FUSE, network shares, XFS made case-insensitive...) the folder is
// listed.
bool finds_listed_names_only(const std::string& folder) {
    struct statfs system {};
    if (::statfs(folder.c_str(), &system) != 0) return false;
    switch (system.f_type) {
        case EXT4_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case F2FS_SUPER_MAGIC: break;
        default: return false;
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    // Where the file system keeps no such flags, nothing is folded.
    const bool read = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    const bool no_flags = !read && (errno == ENOTTY || errno == EOPNOTSUPP);
    ::close(fd);
    return no_flags || (read && (flags & FS_CASEFOLD_FL) == 0);
}

}  // namespace

// Where the file system finds only listed names, nothing is listed: a
// replacement costs the same in a folder of a hundred thousand records. On
// the others the first pass ends at the name itself where it is listed; the second, which asks for each
// entry's file, runs only where the file system found the file otherwise. A
// folder that cannot be listed (write and search permission without read)
// is taken at its word.
FileOutcome check_not_an_alias(const std::string& folder, const std::string& file_name,
                               const struct stat& found) {
    if (finds_listed_names_only(folder)) return {};
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
