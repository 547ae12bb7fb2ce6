#include "platform/posix/file_errors.hpp"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/folder_walk.hpp"
#include "platform/posix/code_page.hpp"

namespace platform {
namespace {

// The name of the user `id`, in the code page of messages; its number where
// it has no name.
std::string user_name(uid_t id) {
    const struct passwd* user = ::getpwuid(id);
    if (user == nullptr) return std::to_string(id);
    return locale_conversions().ansi_from_terminal(user->pw_name, false).text;
}

FileError category(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return FileError::folder_missing;
        case EACCES:
        case EPERM: return FileError::access_denied;
        case EROFS: return FileError::read_only;
        case ENOSPC: return FileError::disk_full;
        case EDQUOT: return FileError::quota_exceeded;
        case ENAMETOOLONG: return FileError::name_too_long;
        case EILSEQ: return FileError::invalid_name;
        case EEXIST: return FileError::exists;
        case EISDIR: return FileError::is_a_folder;
        case EBUSY:
        case ETXTBSY: return FileError::in_use;
        case EIO: return FileError::io_error;
        case EXDEV: return FileError::cross_device;
        case EMFILE:
        case ENFILE: return FileError::too_many_open_files;
        case ELOOP: return FileError::link_loop;
        case ENOMEM: return FileError::out_of_memory;
        case EFBIG: return FileError::too_large;
        case EINVAL:
        case EOPNOTSUPP: return FileError::not_supported;
        case ESTALE:
        case ENOTCONN:
        case ETIMEDOUT:
        case EHOSTDOWN:
        case EHOSTUNREACH: return FileError::network_lost;
        default: return FileError::other;
    }
}

}  // namespace

FileOutcome failure(int error) {
    return {category(error), error};
}

FileOutcome folder_failure(int error, const std::string& folder) {
    FileOutcome outcome = failure(error);
    name_failed_folder(outcome, folder, [](const std::string& part) {
        struct stat info {};
        if (::stat(part.c_str(), &info) != 0) return errno == ENOENT ? PathKind::missing : PathKind::unknown;
        return S_ISDIR(info.st_mode) ? PathKind::folder : PathKind::not_a_folder;
    });
    return outcome;
}

void name_users(FileOutcome& outcome, const std::string& folder, const std::string& record) {
    const bool records_owner =
        outcome.error == FileError::file_access_denied || outcome.error == FileError::owner_only;
    if (!records_owner && outcome.error != FileError::access_denied) return;
    outcome.user = user_name(::geteuid());
    struct stat owned {};
    if (::lstat((records_owner ? record : folder).c_str(), &owned) == 0)
        outcome.owner = user_name(owned.st_uid);
}

}  // namespace platform
