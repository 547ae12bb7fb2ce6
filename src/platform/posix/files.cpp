// Folders and all-or-nothing file replacement on POSIX file systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.hpp"
#include "platform/posix/code_page.hpp"
#include "platform/posix/listed_name.hpp"
#include "platform/posix/signal_handlers.hpp"
#include "platform/posix/temporary_files.hpp"
#include "platform/posix/write_all.hpp"
#include "platform/temporary_names.hpp"

namespace platform {
namespace {

FileOutcome failure(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return {FileError::folder_missing, error};
        case EACCES:
        case EPERM: return {FileError::access_denied, error};
        case EROFS: return {FileError::read_only, error};
        case ENOSPC: return {FileError::disk_full, error};
        case EDQUOT: return {FileError::quota_exceeded, error};
        case ENAMETOOLONG: return {FileError::name_too_long, error};
        case EILSEQ: return {FileError::invalid_name, error};
        case EEXIST: return {FileError::exists, error};
        case EISDIR: return {FileError::is_a_folder, error};
        case EBUSY:
        case ETXTBSY: return {FileError::in_use, error};
        case EIO: return {FileError::io_error, error};
        case EXDEV: return {FileError::cross_device, error};
        case EMFILE:
        case ENFILE: return {FileError::too_many_open_files, error};
        case ELOOP: return {FileError::link_loop, error};
        case ENOMEM: return {FileError::out_of_memory, error};
        case EFBIG: return {FileError::too_large, error};
        case EINVAL:
        case EOPNOTSUPP: return {FileError::not_supported, error};
        case ESTALE:
        case ENOTCONN:
        case ETIMEDOUT:
        case EHOSTDOWN:
        case EHOSTUNREACH: return {FileError::network_lost, error};
        default: return {FileError::other, error};
    }
}

// Whether the existing record `target` may be replaced: a plain file that
// this user could open for writing, as writing it in place would need. A
// symbolic link is never followed nor replaced.
FileOutcome check_replaceable(const std::string& target, const struct stat& old) {
    if (S_ISLNK(old.st_mode)) return {FileError::file_is_link, ELOOP};
    if (S_ISDIR(old.st_mode)) return failure(EISDIR);
    if (!S_ISREG(old.st_mode)) return {FileError::not_a_regular_file, EINVAL};
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0) return {};
    const int error = errno;
    if (error != EACCES && error != EPERM) return failure(error);
    const bool own_read_only = old.st_uid == ::geteuid() && (old.st_mode & S_IWUSR) == 0;
    return {own_read_only ? FileError::file_read_only : FileError::file_access_denied, error};
}

// The permissions a new file gets from the process's umask.
mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Gives the new file, once its content is written, its final identity, before
// it is synced with it (so that a crash never leaves a private record): the
// old record's permissions without the set-id and sticky bits (a record is
// data), its owner and group where this process may set them (root: both;
// others: the group, if they belong to it). A new record gets what the umask
// gives. Where the file system decides the modes itself (FAT, exFAT, FUSE),
// it refuses to change them even on this program's own new file: its modes
// stand.
bool take_identity(int fd, const struct stat* old) {
    if (old != nullptr) {
        const uid_t owner = ::geteuid() == 0 ? old->st_uid : static_cast<uid_t>(-1);
        // Refused for a group this user is not in; the file keeps the user's own.
        [[maybe_unused]] const int refused = ::fchown(fd, owner, old->st_gid);
    }
    if (::fchmod(fd, old == nullptr ? new_file_mode() : old->st_mode & 0777) == 0) return true;
    return errno == EPERM || errno == ENOSYS || errno == EOPNOTSUPP;
}

// Removes the temporary files of earlier runs that are old enough to be
// leftovers; anything else in the folder is left alone. Their age is judged
// against the time the file system gave `fresh`, this write's own temporary
// file, just created in the folder: a network share's clock may be far from
// this machine's. Every time is read by the same call, so that this write's
// own file, judged against itself, is never old enough.
void remove_leftovers(const std::string& folder, const std::string& fresh_path) {
    DIR* const entries = ::opendir(folder.c_str());
    if (entries == nullptr) return;
    struct stat fresh {};
    const std::string fresh_name = fresh_path.substr(fresh_path.rfind(path_separator()) + 1);
    if (::fstatat(::dirfd(entries), fresh_name.c_str(), &fresh, AT_SYMLINK_NOFOLLOW) != 0) {
        ::closedir(entries);
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        if (!is_temporary_name(entry->d_name)) continue;
        struct stat info {};
        if (::fstatat(::dirfd(entries), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(info.st_mode) && is_leftover(entry->d_name, info.st_mtime, fresh.st_mtime)) {
            ::unlinkat(::dirfd(entries), entry->d_name, 0);
        }
    }
    ::closedir(entries);
}

// Errors by which a file system (or a filter on the program's calls) says
// that it does not do what was asked, rather than refusing it for a reason.
bool unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

// Where neither a no-replace rename nor a hard link is to be had (exFAT and
// FAT through FUSE, some network file systems): the record's name is claimed
// with an empty file that only a name still free can give, then the
// temporary file is renamed onto the claim. The signals wait meanwhile, so
// that none can leave the empty claim as a record.
bool put_in_claimed_place(const std::string& temporary, const std::string& target) {
    const SignalsBlocked held(handled_signals());
    const int claim = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0) return false;
    ::close(claim);
    if (::rename(temporary.c_str(), target.c_str()) == 0) return true;
    const int error = errno;
    ::unlink(target.c_str());
    errno = unsupported(error) ? EOPNOTSUPP : error;
    return false;
}

// Gives the complete temporary file the record's name. Where replacing is
// refused, a record that appeared meanwhile stays: the file system refuses
// the rename (or a hard link, or the claim of the name) in the same step.
bool put_in_place(const std::string& temporary, const std::string& target, Replacing replacing) {
    if (replacing == Replacing::allowed) return ::rename(temporary.c_str(), target.c_str()) == 0;
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (!unsupported(errno)) return false;
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
    return unsupported(errno) && put_in_claimed_place(temporary, target);
}

// Why putting the temporary file in place failed with `error`: ENOENT means
// the folder went away, unless only the temporary file did.
FileOutcome placing_failure(int error, const std::string& folder, const std::string& temporary) {
    struct stat info {};
    const bool temporary_gone =
        error == ENOENT && ::lstat(temporary.c_str(), &info) != 0 && ::stat(folder.c_str(), &info) == 0;
    return temporary_gone ? FileOutcome{FileError::temporary_gone, error} : failure(error);
}

#ifdef QKEDITOR_TEST_HOOKS
// Fault-test builds only: with QKEDITOR_MID_WRITE set, the process stops
// once half the new content is in the temporary file, as a crash ("kill":
// SIGKILL) or a slow disk ("stop": SIGSTOP, until it is continued) would
// leave it there. `bytes` is left with what is still to be written.
void stop_mid_write_if_asked(int fd, std::string_view& bytes) {
    const char* how = std::getenv("QKEDITOR_MID_WRITE");
    if (how == nullptr) return;
    write_all(fd, bytes.substr(0, bytes.size() / 2));
    bytes.remove_prefix(bytes.size() / 2);
    ::raise(std::string_view(how) == "kill" ? SIGKILL : SIGSTOP);
}
#endif

// Makes the rename itself durable. The record is already in place, so a
// failure here changes nothing that could be reported.
void sync_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void make_folder(const std::string& path) {
    ::mkdir(path.c_str(), 0777);
}

FileOutcome replace_file(const std::string& folder, const std::string& ansi_file_name, std::string_view bytes,
                         Replacing replacing_rule) {
    const std::optional<std::string> file_name = locale_conversions().file_name_from_ansi(ansi_file_name);
    if (!file_name) return {FileError::invalid_name, EILSEQ};
    const std::string target = folder + path_separator() + *file_name;
    struct stat old {};
    const bool replacing = ::lstat(target.c_str(), &old) == 0;
    if (!replacing && errno != ENOENT) return failure(errno);
    if (replacing && replacing_rule == Replacing::refused) return {FileError::exists, EEXIST};
    if (replacing) {
        if (FileOutcome alias = check_not_an_alias(folder, *file_name, old); alias.error != FileError::none) {
            // The folder lists it in the terminal's encoding; messages are in the code page.
            alias.listed_name = locale_conversions().ansi_from_terminal(alias.listed_name, false).text;
            return alias;
        }
        if (FileOutcome refused = check_replaceable(target, old); refused.error != FileError::none) {
            return refused;
        }
    }

    // The new content goes to a temporary file in the same folder, so that
    // the rename below swaps it in at once.
    const SignalCleanup handlers(SignalScope::write);
    std::string temporary = folder + path_separator() + std::string(temporary_prefix) + "XXXXXX";
    const int fd = create_temporary_file(temporary);
    if (fd < 0) return failure(errno);
    remove_leftovers(folder, temporary);
#ifdef QKEDITOR_TEST_HOOKS
    stop_mid_write_if_asked(fd, bytes);
#endif
    bool stored = write_all(fd, bytes) && take_identity(fd, replacing ? &old : nullptr) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && stored) {
        stored = false;
        error = errno;
    }
    FileOutcome outcome;
    if (!stored) {
        outcome = failure(error);
    } else if (!put_in_place(temporary, target, replacing_rule)) {
        outcome = placing_failure(errno, folder, temporary);
    }
    if (outcome.error != FileError::none) ::unlink(temporary.c_str());
    forget_temporary_file();
    if (outcome.error == FileError::none) sync_folder(folder);
    return outcome;
}

}  // namespace platform
