// Folders and all-or-nothing file replacement on Windows file systems: the
// replace sequence (see records/record_writer.hpp for what each step leaves).
// Names are read in the ANSI code page, as the ...A functions read them; the
// files themselves are reached through the wide functions with long paths,
// so that the temporary file fits wherever the record does.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/platform.hpp"
#include "platform/windows/code_page.hpp"
#include "platform/windows/console_events.hpp"
#include "platform/windows/file_errors.hpp"
#include "platform/windows/listed_name.hpp"
#include "platform/windows/long_paths.hpp"
#include "platform/windows/temporary_files.hpp"

namespace platform {
namespace {

// Virus scanners and indexers open a new file for a moment once it is
// closed; moving it into place is tried again a few times when one is in the way.
constexpr int move_attempts = 5;
constexpr DWORD move_retry_delay_ms = 50;

bool gone(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
           ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Whether the existing record `target` (with its `attributes`) may be
// replaced: a plain file that this user could open for writing, as writing it
// in place would need. A link is never followed nor replaced.
FileOutcome check_replaceable(const std::wstring& target, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return {FileError::file_is_link, ERROR_ACCESS_DENIED};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {FileError::is_a_folder, ERROR_ACCESS_DENIED};
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return {FileError::file_read_only, ERROR_ACCESS_DENIED};
    const DWORD all_sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE probe = ::CreateFileW(target.c_str(), GENERIC_WRITE, all_sharing, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED) return {FileError::file_access_denied, static_cast<int>(error)};
        return failure(error);
    }
    ::CloseHandle(probe);
    return {};
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

DWORD move_into_place(const std::wstring& temporary, const std::wstring& target, Replacing replacing) {
    const DWORD flags =
        MOVEFILE_WRITE_THROUGH | (replacing == Replacing::allowed ? MOVEFILE_REPLACE_EXISTING : 0);
    return ::MoveFileExW(temporary.c_str(), target.c_str(), flags) ? ERROR_SUCCESS : ::GetLastError();
}

// Whether the record may be taken away: not while another process holds it
// open without sharing deletion. Asked before ReplaceFileW, which under Wine
// leaves an empty file of its own in the folder when it meets such a record.
DWORD check_removable(const std::wstring& target) {
    const HANDLE probe =
        ::CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return ::GetLastError();
    ::CloseHandle(probe);
    return ERROR_SUCCESS;
}

// Errors by which a file system says it cannot replace a file in one call.
bool replacing_unsupported(DWORD error) {
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_PARAMETER || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// An existing record is replaced so that it keeps its attributes and access
// list; a new one, or one on a file system that cannot replace, is moved
// into place. Where replacing is refused, a record that appeared meanwhile
// makes the move fail.
DWORD put_in_place(const std::wstring& temporary, const std::wstring& target, Replacing replacing) {
    if (replacing == Replacing::refused || gone(target)) return move_into_place(temporary, target, replacing);
    if (const DWORD error = check_removable(target); error != ERROR_SUCCESS) return error;
    const DWORD flags = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;
    if (::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, flags, nullptr, nullptr)) {
        return ERROR_SUCCESS;
    }
    const DWORD error = ::GetLastError();
    // The old record may have been taken away without the new one taking
    // its place: finish the job with a move.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 ||
        replacing_unsupported(error)) {
        return move_into_place(temporary, target, Replacing::allowed);
    }
    return error;
}

DWORD put_in_place_with_retries(const std::wstring& temporary, const std::wstring& target,
                                Replacing replacing) {
    DWORD error = put_in_place(temporary, target, replacing);
    for (int attempt = 1; attempt < move_attempts; ++attempt) {
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
        ::Sleep(move_retry_delay_ms);
        error = put_in_place(temporary, target, replacing);
    }
    return error;
}

// Names tried for the only copy of a record.
constexpr int kept_name_attempts = 100;

bool name_taken(DWORD error) {
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// Keeps the only copy of a record, the complete temporary file that could
// not take the record's place, under the record's name and ".nuevo" (then
// "-2", "-3"...): a name that no sweep of leftovers ever takes, nor the
// server as a record. Where no rename can give it that name, `bytes`, still
// in memory, are written anew to a file of that name, made only where no
// file has it. Gives the name kept; nothing where none could be had, and
// then the temporary file is removed all the same, rather than left to a
// sweep.
std::wstring keep_only_copy(const std::wstring& temporary, const std::wstring& target,
                            std::string_view bytes) {
    bool renaming = true;
    for (int attempt = 1; attempt <= kept_name_attempts; ++attempt) {
        std::wstring kept = target + L".nuevo" + (attempt == 1 ? L"" : L"-" + std::to_wstring(attempt));
        if (renaming && ::MoveFileExW(temporary.c_str(), kept.c_str(), MOVEFILE_WRITE_THROUGH)) return kept;
        renaming = renaming && name_taken(::GetLastError());
        if (renaming) continue;
        const HANDLE file = ::CreateFileW(kept.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && name_taken(::GetLastError())) continue;
        if (file != INVALID_HANDLE_VALUE && store_and_close(file, bytes) == ERROR_SUCCESS) {
            ::DeleteFileW(temporary.c_str());
            return kept;
        }
        if (file != INVALID_HANDLE_VALUE) ::DeleteFileW(kept.c_str());
        break;
    }
    ::DeleteFileW(temporary.c_str());
    return {};
}

// What became of a write whose placement failed with `error`. Once a failed
// replacement has taken the old record away, the new content is all there is
// of the record: it is kept, and the operator is told where; otherwise the
// temporary file is removed.
FileOutcome failed_placement(DWORD error, const std::wstring& full_folder, const std::wstring& temporary,
                             const std::wstring& target, bool replacing, std::string_view bytes) {
    if (gone(temporary) && !gone(full_folder)) return {FileError::temporary_gone, static_cast<int>(error)};
    FileOutcome outcome = failure(error);
    if (replacing && gone(target)) {
        outcome.left = LeftUnderName::nothing;
        const std::wstring kept = keep_only_copy(temporary, target, bytes);
        if (!kept.empty())
            outcome.new_content_at = ansi_from_wide(full_folder + kept.substr(kept.rfind(L'\\')));
    } else {
        ::DeleteFileW(temporary.c_str());
    }
    return outcome;
}

// The replace sequence for the file `file_name` inside `folder`.
FileOutcome replace(const std::string& folder, const std::string& file_name, std::string_view bytes,
                    Replacing replacing_rule) {
    const std::wstring full_folder = full_path(folder);
    if (full_folder.empty()) return failure(::GetLastError());
    const std::wstring wide_name = wide_from_ansi(file_name);
    const std::wstring full_target = full_folder + L'\\' + wide_name;
    // The server opens records with the ...A functions, which stop at MAX_PATH.
    if (full_target.size() >= MAX_PATH) return {FileError::path_too_long, ERROR_FILENAME_EXCED_RANGE};
    const std::wstring long_folder = long_path(full_folder);
    const std::wstring target = long_path(full_target);

    WIN32_FILE_ATTRIBUTE_DATA old{};
    const bool replacing = ::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &old) != 0;
    if (!replacing && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return folder_failure(::GetLastError(), folder);
    // An empty file is not a record: an interrupted write left it. Whatever
    // its name was cut to, the new record takes its place.
    const bool empty =
        replacing &&
        (old.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
        old.nFileSizeHigh == 0 && old.nFileSizeLow == 0;
    if (replacing && !empty && replacing_rule == Replacing::refused) {
        return {FileError::exists, ERROR_ALREADY_EXISTS};
    }
    if (replacing) {
        if (FileOutcome alias = check_not_an_alias(target, wide_name); alias.error != FileError::none) {
            return alias;
        }
        if (FileOutcome refused = check_replaceable(target, old.dwFileAttributes);
            refused.error != FileError::none) {
            return refused;
        }
    }

    // The new content goes to a temporary file in the same folder, so that
    // it takes the record's place in one step. A console event that ends the
    // process meanwhile removes it.
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    {
        const EventsHeldBack held;
        file = create_temporary(long_folder, wide_name, temporary);
        if (file == INVALID_HANDLE_VALUE) return folder_failure(::GetLastError(), folder);
        temporary_file_began(held, temporary);
    }
    const DWORD stored = store_and_close(file, bytes);

    // Put in place, or kept as the only copy, it is no event's to remove; once
    // an event has removed it, the process ends here. Only a complete copy,
    // on disk, is ever kept.
    const EventsHeldBack held;
    FileOutcome outcome;
    if (stored != ERROR_SUCCESS) {
        outcome = failure(stored);
        ::DeleteFileW(temporary.c_str());
    } else if (const DWORD error =
                   put_in_place_with_retries(temporary, target, empty ? Replacing::allowed : replacing_rule);
               error != ERROR_SUCCESS) {
        outcome = failed_placement(error, full_folder, temporary, target, replacing, bytes);
    } else {
        outcome.replaced_empty_file = empty;
    }
    temporary_file_over(held);
    return outcome;
}

}  // namespace

void make_folder(const std::string& path) {
    ::CreateDirectoryA(path.c_str(), nullptr);
}

FileOutcome replace_file(const std::string& folder, const std::string& file_name, std::string_view bytes,
                         Replacing replacing_rule) {
    FileOutcome outcome = replace(folder, file_name, bytes, replacing_rule);
    name_users(outcome, folder, folder + path_separator() + file_name);
    return outcome;
}

}  // namespace platform
