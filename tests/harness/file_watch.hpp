// Waits for a file to change without polling it: the kernel wakes the waiter
// (inotify), so a wait ends as soon as the bytes awaited are there.
#pragma once

#include <chrono>
#include <filesystem>

namespace harness {

class FileWatch {
public:
    // The file must exist.
    explicit FileWatch(const std::filesystem::path& file);
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Returns once the file has been written to since the previous call (or
    // since the watch began), or at the deadline.
    void wait_for_change(std::chrono::steady_clock::time_point deadline) const;

private:
    int inotify_ = -1;
};

}  // namespace harness
