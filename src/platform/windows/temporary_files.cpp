#include "platform/windows/temporary_files.hpp"

#include <cwchar>

namespace platform {
namespace {

// Every temporary file of this program is named so.
constexpr std::wstring_view temporary_prefix = L".qkeditor-";

// Names tried before giving up on leftovers of earlier runs.
constexpr int temporary_name_attempts = 100;

// A younger temporary file may be another run's write in progress.
constexpr ULONGLONG leftover_age = 10ULL * 60 * 10'000'000;  // 10 minutes in 100 ns units

ULONGLONG ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

HANDLE create_temporary(const std::wstring& folder, std::wstring& path) {
    static unsigned serial = 0;
    // Short, so that the name fits wherever the record's own name does.
    wchar_t process[16];
    std::swprintf(process, std::size(process), L"%lx-", ::GetCurrentProcessId());
    const std::wstring prefix = folder + L'\\' + std::wstring(temporary_prefix) + process;
    for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
        path = prefix + std::to_wstring(serial++);
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

void remove_leftovers(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const std::wstring pattern = folder + L'\\' + std::wstring(temporary_prefix) + L'*';
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    do {
        // The search also matches short names and other letter cases.
        if (!std::wstring_view(entry.cFileName).starts_with(temporary_prefix)) continue;
        const DWORD kind = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if ((entry.dwFileAttributes & kind) != 0) continue;
        if (ticks(now) <= ticks(entry.ftLastWriteTime) + leftover_age) continue;
        ::DeleteFileW((folder + L'\\' + entry.cFileName).c_str());
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

}  // namespace platform
