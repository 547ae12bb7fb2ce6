#include "scratch_folder.hpp"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace faults {
namespace {

// Once per process: mounts made from here on are seen by this process and
// its children only, and vanish with them.
bool in_private_mount_namespace() {
    static const bool entered = running_as_root() && ::unshare(CLONE_NEWNS) == 0 &&
                                ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return entered;
}

}  // namespace

bool running_as_root() {
    return ::geteuid() == 0;
}

ScratchFolder::ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/qkeditor-faults-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    // Newest first.
    std::for_each(mounts_.rbegin(), mounts_.rend(),
                  [](const std::string& mount) { ::umount2(mount.c_str(), MNT_DETACH); });
    for (const std::string& folder : locked_folders_) ::chmod(folder.c_str(), 0755);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::operator/(std::string_view relative) const {
    return path_ + "/" + std::string(relative);
}

void ScratchFolder::make_folders(std::string_view relative) const {
    std::filesystem::create_directories(*this / relative);
}

bool ScratchFolder::mount_small_disk(std::size_t bytes) {
    if (!in_private_mount_namespace()) return false;
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) != 0) return false;
    mounts_.push_back(path_);
    return true;
}

void ScratchFolder::fill_disk() const {
    const std::string filler = *this / "filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("open " + filler + ": " + std::strerror(errno));
    const std::string block(4096, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const int error = errno;
    ::close(fd);
    if (error != ENOSPC) throw std::runtime_error("filling the disk: " + std::string(std::strerror(error)));
}

bool ScratchFolder::make_read_only(std::string_view relative) {
    const std::string folder = *this / relative;
    if (!running_as_root()) {
        if (::chmod(folder.c_str(), 0555) != 0) return false;
        locked_folders_.push_back(folder);
        return true;
    }
    if (!in_private_mount_namespace()) return false;
    if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    mounts_.push_back(folder);
    return ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> entries_of(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace faults
