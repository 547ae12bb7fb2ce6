// Folders and all-or-nothing file replacement on POSIX file systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "platform/platform.hpp"

namespace platform {
namespace {

FileOutcome failure(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return {FileError::folder_missing, error};
        case EACCES:
        case EPERM: return {FileError::access_denied, error};
        case EROFS: return {FileError::read_only, error};
        case ENOSPC:
        case EDQUOT: return {FileError::disk_full, error};
        case ENAMETOOLONG: return {FileError::name_too_long, error};
        case EISDIR: return {FileError::is_a_folder, error};
        case EBUSY:
        case ETXTBSY: return {FileError::in_use, error};
        default: return {FileError::other, error};
    }
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The permissions a new file gets from the process's umask.
mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

#ifdef QKEDITOR_TEST_HOOKS
// Fault-test builds only: with QKEDITOR_KILL_MID_WRITE set, the process dies
// by SIGKILL once half the new content is in the temporary file, as a crash
// at that point would leave it.
void kill_mid_write_if_asked(int fd, std::string_view bytes) {
    if (std::getenv("QKEDITOR_KILL_MID_WRITE") == nullptr) return;
    write_all(fd, bytes.substr(0, bytes.size() / 2));
    ::raise(SIGKILL);
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

char path_separator() {
    return '/';
}

void make_folder(const std::string& path) {
    ::mkdir(path.c_str(), 0777);
}

FileOutcome replace_file(const std::string& folder, const std::string& file_name, std::string_view bytes) {
    const std::string target = folder + '/' + file_name;
    struct stat old_file {};
    const bool replacing = ::stat(target.c_str(), &old_file) == 0;
    if (!replacing && errno != ENOENT) return failure(errno);
    if (replacing && S_ISDIR(old_file.st_mode)) return failure(EISDIR);

    // The new content goes to a temporary file in the same folder, so that
    // the rename below swaps it in at once.
    std::string temporary = folder + "/.qkeditor-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return failure(errno);

    const mode_t mode = replacing ? (old_file.st_mode & 07777) : new_file_mode();
    if (replacing && ::geteuid() == 0) (void)::fchown(fd, old_file.st_uid, old_file.st_gid);
#ifdef QKEDITOR_TEST_HOOKS
    kill_mid_write_if_asked(fd, bytes);
#endif
    bool stored = ::fchmod(fd, mode) == 0 && write_all(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && stored) {
        stored = false;
        error = errno;
    }
    if (stored && ::rename(temporary.c_str(), target.c_str()) != 0) {
        stored = false;
        error = errno;
    }
    if (!stored) {
        ::unlink(temporary.c_str());
        return failure(error);
    }
    sync_folder(folder);
    return {};
}

}  // namespace platform
