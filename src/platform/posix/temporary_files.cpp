#include "platform/posix/temporary_files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.hpp"
#include "platform/posix/signal_handlers.hpp"
#include "platform/temporary_names.hpp"

namespace platform {
namespace {

// Written with the signals blocked, read by the handlers.
char temporary_path[PATH_MAX];
volatile std::sig_atomic_t temporary_active = 0;

// Creates the file `path` and registers it; where `path` ends in "XXXXXX",
// a file of a new name made from it, which `path` is then set to.
int create_registered(std::string& path, bool pattern) {
    if (path.size() >= sizeof temporary_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const SignalsBlocked blocked(handled_signals());
    std::memcpy(temporary_path, path.c_str(), path.size() + 1);
    const int fd = pattern ? ::mkostemp(temporary_path, O_CLOEXEC)
                           : ::open(temporary_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        path = temporary_path;
        temporary_active = 1;
    }
    return fd;
}

int create_unique(const std::string& folder, std::string& path) {
    path = folder + path_separator() + std::string(temporary_prefix) + "XXXXXX";
    return create_registered(path, true);
}

// Every time that ages are judged by is read by this one call, so that a
// file made just now, judged against itself, is never old enough (a clock
// faked for the process may fake some calls and not others).
bool status_of(const std::string& path, struct stat& status) {
    return ::fstatat(AT_FDCWD, path.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

// Removes the file `name` in `folder` if it is a leftover, judged against
// the time that the file system gave `fresh`, a file made there just now: a
// network share's clock may be far from this machine's.
void remove_if_leftover(const std::string& folder, const std::string& name, const struct stat& fresh) {
    const std::string path = folder + path_separator() + name;
    struct stat status {};
    if (status_of(path, status) && S_ISREG(status.st_mode) &&
        is_leftover(name, status.st_mtime, fresh.st_mtime)) {
        ::unlink(path.c_str());
    }
}

}  // namespace

int create_temporary_file(const std::string& folder, const std::string& file_name, std::string& path) {
    const std::string own_name =
        std::string(temporary_prefix) + file_name + std::string(record_temporary_suffix);
    path = folder + path_separator() + own_name;
    const int fd = create_registered(path, false);
    if (fd >= 0) return fd;
    const int unique = create_unique(folder, path);
    struct stat fresh {};
    if (unique >= 0 && status_of(path, fresh)) remove_if_leftover(folder, own_name, fresh);
    return unique;
}

void forget_temporary_file() {
    temporary_active = 0;
}

void remove_temporary_file_for_signal() {
    if (temporary_active != 0) ::unlink(temporary_path);
}

// Only where the folder holds names of temporary files is a file made, to
// read the file system's time.
void remove_leftovers(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* const entries = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(entries)) {
            if (is_temporary_name(entry->d_name)) names.emplace_back(entry->d_name);
        }
        ::closedir(entries);
    }
    if (names.empty()) return;
    const SignalCleanup handlers(SignalScope::write);
    std::string fresh_path;
    const int fresh_file = create_unique(folder, fresh_path);
    if (fresh_file < 0) return;
    ::close(fresh_file);
    struct stat fresh {};
    if (status_of(fresh_path, fresh)) {
        for (const std::string& name : names) remove_if_leftover(folder, name, fresh);
    }
    ::unlink(fresh_path.c_str());
    forget_temporary_file();
}

}  // namespace platform
