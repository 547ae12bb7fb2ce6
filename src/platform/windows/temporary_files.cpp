#include "platform/windows/temporary_files.hpp"

#include <cstdint>
#include <cwchar>
#include <optional>

#include "platform/temporary_names.hpp"

namespace platform {
namespace {

// Names tried before giving up on leftovers of earlier runs.
constexpr int temporary_name_attempts = 100;

std::int64_t seconds(const FILETIME& time) {
    const auto ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10'000'000);  // from 100 ns units
}

std::wstring wide_prefix() {
    return {temporary_prefix.begin(), temporary_prefix.end()};
}

// A name of the program's temporary files is plain ASCII; any other is not one.
std::optional<std::string> ascii_name(std::wstring_view name) {
    std::string ascii;
    for (const wchar_t c : name) {
        if (c <= 0 || c >= 0x80) return std::nullopt;
        ascii.push_back(static_cast<char>(c));
    }
    return ascii;
}

}  // namespace

HANDLE create_temporary(const std::wstring& folder, std::wstring& path) {
    static unsigned serial = 0;
    // Short, so that the name fits wherever the record's own name does.
    wchar_t process[16];
    std::swprintf(process, std::size(process), L"%lx-", ::GetCurrentProcessId());
    const std::wstring prefix = folder + L'\\' + wide_prefix() + process;
    for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
        path = prefix + std::to_wstring(serial++);
        const HANDLE file =
            ::CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_DELETE, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

void remove_leftovers(const std::wstring& folder, HANDLE fresh) {
    FILETIME now;
    if (!::GetFileTime(fresh, nullptr, nullptr, &now)) return;
    WIN32_FIND_DATAW entry;
    const std::wstring pattern = folder + L'\\' + wide_prefix() + L'*';
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // The search also matches short names and other letter cases.
        const auto name = ascii_name(entry.cFileName);
        if (!name || !is_leftover(*name, seconds(entry.ftLastWriteTime), seconds(now))) continue;
        if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
            continue;
        ::DeleteFileW((folder + L'\\' + entry.cFileName).c_str());
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

}  // namespace platform
