// Folders and all-or-nothing file replacement on POSIX file systems: the
// replace sequence (see records/record_writer.hpp for what each step leaves).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.hpp"
#include "platform/posix/code_page.hpp"
#include "platform/posix/file_errors.hpp"
#include "platform/posix/listed_name.hpp"
#include "platform/posix/signal_handlers.hpp"
#include "platform/posix/temporary_files.hpp"
#include "platform/posix/write_all.hpp"

namespace platform {
namespace {

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

// Errors by which a file system (or a filter on the program's calls) says
// that it does not do what was asked, rather than refusing it for a reason.
bool unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

#ifdef QKEDITOR_TEST_HOOKS
// Fault-test builds only: with QKEDITOR_MID_WRITE set, the process stops
// once half the new content is in the temporary file, as a crash ("kill":
// SIGKILL) or a slow disk ("stop": SIGSTOP, until it is continued) would
// leave it there; "stop" stops it again before and after it claims a
// record's name (see put_in_claimed_place), for another program to act
// meanwhile. `bytes` is left with what is still to be written.
void stop_mid_write_if_asked(int fd, std::string_view& bytes) {
    const char* how = std::getenv("QKEDITOR_MID_WRITE");
    if (how == nullptr) return;
    write_all(fd, bytes.substr(0, bytes.size() / 2));
    bytes.remove_prefix(bytes.size() / 2);
    ::raise(std::string_view(how) == "kill" ? SIGKILL : SIGSTOP);
}

void stop_at_claim_if_asked() {
    const char* how = std::getenv("QKEDITOR_MID_WRITE");
    if (how != nullptr && std::string_view(how) == "stop") ::raise(SIGSTOP);
}
#endif

// Where neither a no-replace rename nor a hard link is to be had (exFAT and
// FAT through FUSE, some network file systems): the record's name is claimed
// with an empty file that only a name still free can give, then the
// temporary file is renamed onto the claim. The signals wait meanwhile, so
// that none can leave the empty claim as a record; a crash can, and the next
// write of the name replaces it (an empty file is never a record). Where the
// rename fails, the claim is removed if it is still this write's own file,
// never a record that another writer put there meanwhile; `left` says where
// it could not be. Gives 0, or why the record could not be put in place.
int put_in_claimed_place(const std::string& temporary, const std::string& target, LeftUnderName& left) {
#ifdef QKEDITOR_TEST_HOOKS
    stop_at_claim_if_asked();
#endif
    const SignalsBlocked held(handled_signals());
    const int claim = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0) return errno;
    struct stat made {};
    const bool known = ::fstat(claim, &made) == 0;
    ::close(claim);
#ifdef QKEDITOR_TEST_HOOKS
    stop_at_claim_if_asked();
#endif
    if (::rename(temporary.c_str(), target.c_str()) == 0) return 0;
    const int error = errno;
    struct stat found {};
    const bool own = known && ::lstat(target.c_str(), &found) == 0 && found.st_dev == made.st_dev &&
                     found.st_ino == made.st_ino;
    if (!known || (own && ::unlink(target.c_str()) != 0)) left = LeftUnderName::empty_file;
    // A file system that will not rename onto an existing file (EEXIST)
    // cannot put the record in place over its claim either.
    return unsupported(error) || error == EEXIST ? EOPNOTSUPP : error;
}

// Gives the complete temporary file the record's name. Where replacing is
// refused, a record that appeared meanwhile stays: the file system refuses
// the rename (or a hard link, or the claim of the name) in the same step.
// Gives 0, or why the record could not be put in place.
int put_in_place(const std::string& temporary, const std::string& target, Replacing replacing,
                 LeftUnderName& left) {
    if (replacing == Replacing::allowed) return ::rename(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (!unsupported(errno)) return errno;
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return 0;
    }
    return unsupported(errno) ? put_in_claimed_place(temporary, target, left) : errno;
}

// Why putting the temporary file in place failed with `error`: ENOENT means
// the folder went away, unless only the temporary file did; a refusal to
// replace another user's record `old` in a sticky folder is that folder's
// rule.
FileOutcome placing_failure(int error, const std::string& folder, const std::string& temporary,
                            const struct stat* old) {
    struct stat info {};
    if (error == ENOENT && ::lstat(temporary.c_str(), &info) != 0 && ::stat(folder.c_str(), &info) == 0) {
        return {FileError::temporary_gone, error};
    }
    const uid_t user = ::geteuid();
    if ((error == EPERM || error == EACCES) && old != nullptr && old->st_uid != user &&
        ::stat(folder.c_str(), &info) == 0 && (info.st_mode & S_ISVTX) != 0 && info.st_uid != user) {
        return {FileError::owner_only, error};
    }
    return folder_failure(error, folder);
}

// Makes the rename itself durable. The record is already in place, so a
// failure here changes nothing that could be reported.
void sync_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The replace sequence for `target`, the file `file_name` (in the terminal's
// encoding) inside `folder`.
FileOutcome replace(const std::string& folder, const std::string& file_name, const std::string& target,
                    std::string_view bytes, Replacing replacing_rule) {
    struct stat old {};
    const bool existing = ::lstat(target.c_str(), &old) == 0;
    if (!existing && errno != ENOENT) return folder_failure(errno, folder);
    // An empty file is not a record: an interrupted write left it (a claim
    // of the name). Whatever its name was cut to, the new record takes its
    // place, and a new record's permissions.
    const bool empty = existing && S_ISREG(old.st_mode) && old.st_size == 0;
    if (existing && !empty && replacing_rule == Replacing::refused) return {FileError::exists, EEXIST};
    if (existing) {
        if (FileOutcome alias = check_not_an_alias(folder, file_name, old); alias.error != FileError::none) {
            // The folder lists it in the terminal's encoding; messages are in the code page.
            alias.listed_name = locale_conversions().ansi_from_terminal(alias.listed_name, false).text;
            return alias;
        }
        if (FileOutcome refused = check_replaceable(target, old); refused.error != FileError::none) {
            return refused;
        }
    }
    const struct stat* const identity = existing && !empty ? &old : nullptr;

    // The new content goes to a temporary file in the same folder, so that
    // the rename below swaps it in at once.
    const SignalCleanup handlers(SignalScope::write);
    std::string temporary;
    const int fd = create_temporary_file(folder, file_name, temporary);
    if (fd < 0) return folder_failure(errno, folder);
#ifdef QKEDITOR_TEST_HOOKS
    stop_mid_write_if_asked(fd, bytes);
#endif
    bool stored = write_all(fd, bytes) && take_identity(fd, identity) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && stored) {
        stored = false;
        error = errno;
    }
    FileOutcome outcome;
    if (!stored) {
        outcome = failure(error);
    } else if (error =
                   put_in_place(temporary, target, empty ? Replacing::allowed : replacing_rule, outcome.left);
               error != 0) {
        const LeftUnderName left = outcome.left;
        outcome = placing_failure(error, folder, temporary, existing ? &old : nullptr);
        outcome.left = left;
    }
    if (outcome.error != FileError::none) ::unlink(temporary.c_str());
    forget_temporary_file();
    if (outcome.error == FileError::none) {
        sync_folder(folder);
        outcome.replaced_empty_file = empty;
    }
    return outcome;
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
    FileOutcome outcome = replace(folder, *file_name, target, bytes, replacing_rule);
    name_users(outcome, folder, target);
    return outcome;
}

}  // namespace platform
