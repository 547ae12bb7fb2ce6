#include "platform/windows/temporary_files.hpp"

#include <cstdint>
#include <cwchar>
#include <vector>

#include "platform/platform.hpp"
#include "platform/temporary_names.hpp"
#include "platform/windows/console_events.hpp"
#include "platform/windows/long_paths.hpp"

namespace platform {
namespace {

// Names tried before giving up on leftovers of earlier runs.
constexpr int temporary_name_attempts = 100;

std::int64_t seconds(const FILETIME& time) {
    const auto ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10'000'000);  // from 100 ns units
}

std::wstring wide(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

// A name in UTF-8, where the ASCII of the temporary files' names is never
// part of another character, as it may be in a double-byte code page.
std::string utf8_name(std::wstring_view name) {
    const int units = static_cast<int>(name.size());
    std::string utf8(::WideCharToMultiByte(CP_UTF8, 0, name.data(), units, nullptr, 0, nullptr, nullptr),
                     '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, name.data(), units, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                          nullptr);
    return utf8;
}

HANDLE create_new(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A temporary file of a name of its own: short, so that it fits wherever the
// record's own name does.
HANDLE create_unique(const std::wstring& folder, std::wstring& path) {
    static unsigned serial = 0;
    wchar_t process[16];
    std::swprintf(process, std::size(process), L"%lx-", ::GetCurrentProcessId());
    const std::wstring prefix = folder + L'\\' + wide(temporary_prefix) + process;
    for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
        path = prefix + std::to_wstring(serial++);
        const HANDLE file = create_new(path);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Removes the file `name` in `folder`, last written at `written`, if it is a
// leftover, judged against the time `now` that the file system gave a file
// made there just now: a network share's clock may be far from this
// machine's. Folders and links stay.
void remove_if_leftover(const std::wstring& folder, const std::wstring& name, DWORD attributes,
                        const FILETIME& written, const FILETIME& now) {
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return;
    if (is_leftover(utf8_name(name), seconds(written), seconds(now))) {
        ::DeleteFileW((folder + L'\\' + name).c_str());
    }
}

}  // namespace

HANDLE create_temporary(const std::wstring& folder, const std::wstring& file_name, std::wstring& path) {
    const std::wstring own_name = wide(temporary_prefix) + file_name + wide(record_temporary_suffix);
    path = folder + L'\\' + own_name;
    if (const HANDLE file = create_new(path); file != INVALID_HANDLE_VALUE) return file;
    const HANDLE file = create_unique(folder, path);
    if (file == INVALID_HANDLE_VALUE) return file;
    FILETIME now;
    WIN32_FILE_ATTRIBUTE_DATA own{};
    if (::GetFileTime(file, nullptr, nullptr, &now) &&
        ::GetFileAttributesExW((folder + L'\\' + own_name).c_str(), GetFileExInfoStandard, &own)) {
        remove_if_leftover(folder, own_name, own.dwFileAttributes, own.ftLastWriteTime, now);
    }
    return file;
}

// Only where the folder holds names of temporary files is a file made, to
// read the file system's time.
void remove_leftovers(const std::string& folder) {
    const std::wstring full_folder = full_path(folder);
    if (full_folder.empty()) return;
    const std::wstring long_folder = long_path(full_folder);
    std::vector<WIN32_FIND_DATAW> found;
    WIN32_FIND_DATAW entry;
    const HANDLE search =
        ::FindFirstFileW((long_folder + L'\\' + wide(temporary_prefix) + L'*').c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // The search also matches short names and other letter cases.
        if (is_temporary_name(utf8_name(entry.cFileName))) found.push_back(entry);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    if (found.empty()) return;

    std::wstring fresh_path;
    HANDLE fresh = INVALID_HANDLE_VALUE;
    {
        const EventsHeldBack held;
        fresh = create_unique(long_folder, fresh_path);
        if (fresh == INVALID_HANDLE_VALUE) return;
        temporary_file_began(held, fresh_path);
    }
    FILETIME now;
    const bool known = ::GetFileTime(fresh, nullptr, nullptr, &now) != 0;
    ::CloseHandle(fresh);
    for (const WIN32_FIND_DATAW& file : found) {
        if (known)
            remove_if_leftover(long_folder, file.cFileName, file.dwFileAttributes, file.ftLastWriteTime, now);
    }
    const EventsHeldBack held;
    ::DeleteFileW(fresh_path.c_str());
    temporary_file_over(held);
}

}  // namespace platform
