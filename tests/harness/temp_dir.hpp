// A fresh folder under $TMPDIR (or /tmp), removed with everything in it, and
// the file-system faults that can be laid on it: a full disk and a read-only
// folder. Mounts are made in a mount namespace of the test process's own, so
// that none outlives it; the processes it starts afterwards share them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace harness {

namespace fs = std::filesystem;

class TempDir {
public:
    explicit TempDir(std::string_view prefix);
    // Undoes the mounts, gives back the permissions taken away, removes all.
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return path_; }

    // Puts a tmpfs of `bytes` bytes on the folder, hiding what it held;
    // empty when done, else why it could not be.
    std::string mount_small_disk(std::size_t bytes);

    // Fills the disk that holds the folder until no byte more fits.
    void fill_disk() const;

    // Makes the folder `relative` refuse new files: a read-only bind mount
    // for root, who writes through permissions, and permissions for others.
    // Empty when done, else why it could not be.
    std::string make_read_only(const fs::path& relative);

    // Mounts a file system on the folder `relative`: `script` (sh, given an
    // image file's path and the folder's) makes it and mounts it. Gives why
    // it could not, or nothing.
    std::string mount_image(const fs::path& relative, const std::string& script);

private:
    fs::path path_;
    std::vector<fs::path> mounts_;  // undone newest first
};

bool running_as_root();

}  // namespace harness
