#include "file_watch.hpp"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "scenario_error.hpp"

namespace harness {

FileWatch::FileWatch(const std::filesystem::path& file)
    : inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (inotify_ < 0 || ::inotify_add_watch(inotify_, file.c_str(), IN_MODIFY) < 0) {
        const std::string error = std::strerror(errno);
        if (inotify_ >= 0) ::close(inotify_);
        throw ScenarioError("cannot watch " + file.string() + ": " + error);
    }
}

FileWatch::~FileWatch() {
    ::close(inotify_);
}

void FileWatch::wait_for_change(std::chrono::steady_clock::time_point deadline) const {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    struct pollfd watch {
        inotify_, POLLIN, 0
    };
    if (::poll(&watch, 1, static_cast<int>(std::max<long>(left.count(), 0))) <= 0) return;
    // The events themselves do not matter, only that there were some.
    alignas(struct inotify_event) char events[4096];
    while (::read(inotify_, events, sizeof events) > 0) {
    }
}

}  // namespace harness
