// Folders and all-or-nothing file replacement on Windows file systems.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/platform.hpp"

namespace platform {
namespace {

// Virus scanners and indexers open a new file for a moment once it is
// closed; moving it into place is tried again a few times when one is in the way.
constexpr int move_attempts = 5;
constexpr DWORD move_retry_delay_ms = 50;

// Temporary names tried before giving up on leftovers of earlier runs.
constexpr int temporary_name_attempts = 100;

FileOutcome failure(DWORD error) {
    const int code = static_cast<int>(error);
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_DIRECTORY: return {FileError::folder_missing, code};
        case ERROR_ACCESS_DENIED: return {FileError::access_denied, code};
        case ERROR_WRITE_PROTECT: return {FileError::read_only, code};
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return {FileError::disk_full, code};
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW: return {FileError::name_too_long, code};
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_UNABLE_TO_REMOVE_REPLACED: return {FileError::in_use, code};
        default: return {FileError::other, code};
    }
}

bool exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The absolute form of `path` (the replacing call needs it under Wine);
// empty on failure, with the reason in GetLastError.
std::string full_path(const std::string& path) {
    const DWORD size = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::string full(size, '\0');
    const DWORD length = ::GetFullPathNameA(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return {};
    full.resize(length);
    return full;
}

// A file of this process's own in `folder`: CREATE_NEW never opens an
// existing one. Sets `path` to its name.
HANDLE create_temporary(const std::string& folder, std::string& path) {
    static unsigned serial = 0;
    const std::string prefix = folder + "\\.qkeditor-" + std::to_string(::GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
        path = prefix + std::to_string(serial++);
        if (path.size() >= MAX_PATH) {
            ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return INVALID_HANDLE_VALUE;
        }
        const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Writes all of `bytes`, puts them on disk and closes the file; gives the
// first error met.
DWORD store_and_close(HANDLE file, std::string_view bytes) {
    DWORD error = ERROR_SUCCESS;
    while (error == ERROR_SUCCESS && !bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            error = ::GetLastError();
        } else if (written == 0) {
            error = ERROR_DISK_FULL;
        } else {
            bytes.remove_prefix(written);
        }
    }
    if (error == ERROR_SUCCESS && !::FlushFileBuffers(file)) error = ::GetLastError();
    if (!::CloseHandle(file) && error == ERROR_SUCCESS) error = ::GetLastError();
    return error;
}

DWORD move_into_place(const std::string& temporary, const std::string& target) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return ::MoveFileExA(temporary.c_str(), target.c_str(), flags) ? ERROR_SUCCESS : ::GetLastError();
}

// Whether the record may be taken away: not while another process holds it
// open without sharing deletion. Asked before ReplaceFileA, which under Wine
// leaves an empty file of its own in the folder when it meets such a record.
DWORD check_replaceable(const std::string& target) {
    const HANDLE probe =
        ::CreateFileA(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return ::GetLastError();
    ::CloseHandle(probe);
    return ERROR_SUCCESS;
}

// An existing record is replaced so that it keeps its attributes; a new one
// is moved into place.
DWORD put_in_place(const std::string& temporary, const std::string& target) {
    if (!exists(target)) return move_into_place(temporary, target);
    if (const DWORD error = check_replaceable(target); error != ERROR_SUCCESS) return error;
    if (::ReplaceFileA(target.c_str(), temporary.c_str(), nullptr, 0, nullptr, nullptr)) return ERROR_SUCCESS;
    const DWORD error = ::GetLastError();
    // The old record has been taken away but the new one not renamed into
    // its place: finish the job with a move.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        return move_into_place(temporary, target);
    }
    return error;
}

DWORD put_in_place_with_retries(const std::string& temporary, const std::string& target) {
    DWORD error = put_in_place(temporary, target);
    for (int attempt = 1; attempt < move_attempts; ++attempt) {
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
        ::Sleep(move_retry_delay_ms);
        error = put_in_place(temporary, target);
    }
    return error;
}

}  // namespace

char path_separator() {
    return '\\';
}

void make_folder(const std::string& path) {
    ::CreateDirectoryA(path.c_str(), nullptr);
}

FileOutcome replace_file(const std::string& folder, const std::string& file_name, std::string_view bytes) {
    const std::string full_folder = full_path(folder);
    if (full_folder.empty()) return failure(::GetLastError());
    const std::string target = full_folder + '\\' + file_name;
    if (target.size() >= MAX_PATH) return failure(ERROR_FILENAME_EXCED_RANGE);

    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    const bool replacing = attributes != INVALID_FILE_ATTRIBUTES;
    if (!replacing && ::GetLastError() != ERROR_FILE_NOT_FOUND) return failure(::GetLastError());
    if (replacing && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {FileError::is_a_folder, ERROR_ACCESS_DENIED};
    }

    // The new content goes to a temporary file in the same folder, so that
    // it takes the record's place in one step.
    std::string temporary;
    const HANDLE file = create_temporary(full_folder, temporary);
    if (file == INVALID_HANDLE_VALUE) return failure(::GetLastError());
    DWORD error = store_and_close(file, bytes);
    if (error == ERROR_SUCCESS) error = put_in_place_with_retries(temporary, target);
    if (error == ERROR_SUCCESS) return {};

    // Once a failed replacement has taken the old record away, the temporary
    // file is the only copy of the record left: it stays.
    if (!replacing || exists(target)) ::DeleteFileA(temporary.c_str());
    return failure(error);
}

}  // namespace platform
