#include "temp_dir.hpp"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files.hpp"
#include "processes.hpp"
#include "scenario_error.hpp"

namespace harness {
namespace {

// Once per process, as root: mounts made from here on are seen by this
// process and the processes it starts, and vanish with them. Empty once
// entered, else why not (in a container or a chroot, even root may not).
std::string mount_namespace_refusal() {
    static const bool entered =
        ::unshare(CLONE_NEWNS) == 0 && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    static const std::string reason = std::strerror(errno);
    return entered ? "" : "the private mount namespace could not be made: " + reason;
}

}  // namespace

bool running_as_root() {
    return ::geteuid() == 0;
}

TempDir::TempDir(std::string_view prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base != nullptr && *base != '\0') ? base : "/tmp";
    pattern += "/";
    pattern += prefix;
    pattern += "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw ScenarioError("cannot make a temporary folder from " + pattern + ": " + std::strerror(errno));
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::for_each(mounts_.rbegin(), mounts_.rend(),
                  [](const fs::path& mount) { ::umount2(mount.c_str(), MNT_DETACH); });
    std::error_code ignored;
    // A test may have taken permissions away; give them back so that all goes.
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

std::string TempDir::mount_small_disk(std::size_t bytes) {
    if (!mount_namespace_refusal().empty()) return mount_namespace_refusal();
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) != 0) return "tmpfs mount refused";
    mounts_.push_back(path_);
    return {};
}

void TempDir::fill_disk() const {
    const fs::path filler = path_ / "filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw ScenarioError("open " + filler.string() + ": " + std::strerror(errno));
    const std::string block(4096, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const int error = errno;
    ::close(fd);
    if (error != ENOSPC) throw ScenarioError("filling the disk: " + std::string(std::strerror(error)));
}

std::string TempDir::make_read_only(const fs::path& relative) {
    const fs::path folder = path_ / relative;
    if (!running_as_root()) {
        std::error_code refused;
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec, refused);
        return refused ? refused.message() : "";
    }
    if (!mount_namespace_refusal().empty()) return mount_namespace_refusal();
    if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) return "bind mount refused";
    mounts_.push_back(folder);
    if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0) return {};
    return "read-only remount refused";
}

std::string TempDir::mount_image(const fs::path& relative, const std::string& script) {
    if (!running_as_root()) return "needs root to mount";
    if (!mount_namespace_refusal().empty()) return mount_namespace_refusal();
    const fs::path errors = path_ / "mount-errors.txt";
    const Launch launch{.argv = {"sh", "-c", script, "sh", path_ / "disk.img", path_ / relative},
                        .environment = environment_with({}),
                        .stderr_path = errors};
    const auto ending = wait_child(spawn(launch), std::chrono::seconds(30));
    if (!ending || ending->signaled || ending->status != 0) return "cannot mount: " + read_file(errors);
    mounts_.push_back(path_ / relative);
    return {};
}

}  // namespace harness
