// A fresh folder for one test, removed with everything in it afterwards, and
// the file-system faults that can be laid on it: a full disk and a read-only
// folder. Mounting needs root; the mounts are made in a mount namespace of the
// test process's own, so that none outlives it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace faults {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }

    // The absolute path of `relative` inside the folder.
    std::string operator/(std::string_view relative) const;

    // Makes the folders of `relative` (and their parents) inside the folder.
    void make_folders(std::string_view relative) const;

    // Puts a tmpfs of `bytes` bytes on the folder; false when this process
    // may not mount.
    bool mount_small_disk(std::size_t bytes);

    // Fills the disk that holds the folder until no byte more fits.
    void fill_disk() const;

    // Makes the folder `relative` refuse new files: a read-only bind mount
    // for root, who writes through permissions, and permissions for others.
    // False when that cannot be arranged.
    bool make_read_only(std::string_view relative);

private:
    std::string path_;
    std::vector<std::string> mounts_;          // undone in reverse order
    std::vector<std::string> locked_folders_;  // given back their permissions
};

bool running_as_root();

std::string read_file(const std::string& path);
void write_file(const std::string& path, std::string_view bytes);

// The names in `folder`, sorted; empty when it does not exist.
std::vector<std::string> entries_of(const std::string& folder);

}  // namespace faults
