#include "platform/posix/temporary_files.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/posix/signal_handlers.hpp"

namespace platform {
namespace {

// Written with the signals blocked, read by the handlers.
char temporary_path[PATH_MAX];
volatile std::sig_atomic_t temporary_active = 0;

}  // namespace

int create_temporary_file(std::string& path) {
    if (path.size() >= sizeof temporary_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const SignalsBlocked blocked(handled_signals());
    std::memcpy(temporary_path, path.c_str(), path.size() + 1);
    const int fd = ::mkostemp(temporary_path, O_CLOEXEC);
    if (fd >= 0) {
        path = temporary_path;
        temporary_active = 1;
    }
    return fd;
}

void forget_temporary_file() {
    temporary_active = 0;
}

void remove_temporary_file_for_signal() {
    if (temporary_active != 0) ::unlink(temporary_path);
}

}  // namespace platform
