#include "platform/windows/file_errors.hpp"

#include <aclapi.h>

#include <array>

#include "platform/folder_walk.hpp"
#include "platform/windows/code_page.hpp"

namespace platform {
namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's headers lack.
constexpr DWORD disk_quota_exceeded = 1295;

// The name of the account that owns the file or folder `path`, as its
// security descriptor says; empty where that cannot be read.
std::string owner_of(const std::wstring& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return {};
    }
    std::array<wchar_t, 256> name{};
    std::array<wchar_t, 256> domain{};
    DWORD name_length = name.size();
    DWORD domain_length = domain.size();
    SID_NAME_USE use{};
    std::string found;
    if (::LookupAccountSidW(nullptr, owner, name.data(), &name_length, domain.data(), &domain_length, &use)) {
        found = ansi_from_wide(name.data());
    }
    ::LocalFree(descriptor);
    return found;
}

FileError category(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_DIRECTORY: return FileError::folder_missing;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_NETWORK_ACCESS_DENIED: return FileError::access_denied;
        case ERROR_WRITE_PROTECT: return FileError::read_only;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return FileError::disk_full;
        case disk_quota_exceeded: return FileError::quota_exceeded;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW: return FileError::name_too_long;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_NO_UNICODE_TRANSLATION: return FileError::invalid_name;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_DELETE_PENDING:
        case ERROR_UNABLE_TO_REMOVE_REPLACED: return FileError::in_use;
        case ERROR_CRC:
        case ERROR_SEEK:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY:
        case ERROR_IO_DEVICE:
        case ERROR_DISK_OPERATION_FAILED:
        case ERROR_FILE_CORRUPT:
        case ERROR_DISK_CORRUPT: return FileError::io_error;
        case ERROR_NOT_SAME_DEVICE: return FileError::cross_device;
        case ERROR_ALREADY_EXISTS: return FileError::exists;
        case ERROR_TOO_MANY_OPEN_FILES: return FileError::too_many_open_files;
        case ERROR_CANT_RESOLVE_FILENAME: return FileError::link_loop;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
        case ERROR_NO_SYSTEM_RESOURCES: return FileError::out_of_memory;
        case ERROR_FILE_TOO_LARGE: return FileError::too_large;
        case ERROR_INVALID_FUNCTION:
        case ERROR_NOT_SUPPORTED:
        case ERROR_CALL_NOT_IMPLEMENTED: return FileError::not_supported;
        case ERROR_REM_NOT_LIST:
        case ERROR_BAD_NETPATH:
        case ERROR_NETWORK_BUSY:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_NET_RESP:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NETNAME_DELETED:
        case ERROR_BAD_NET_NAME:
        case ERROR_SEM_TIMEOUT:
        case ERROR_VC_DISCONNECTED:
        case ERROR_NO_NETWORK:
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_HOST_UNREACHABLE:
        case ERROR_CONNECTION_ABORTED: return FileError::network_lost;
        default: return FileError::other;
    }
}

}  // namespace

FileOutcome failure(DWORD error) {
    return {category(error), static_cast<int>(error)};
}

FileOutcome folder_failure(DWORD error, const std::string& folder) {
    FileOutcome outcome = failure(error);
    name_failed_folder(outcome, folder, [](const std::string& part) {
        const DWORD attributes = ::GetFileAttributesW(wide_from_ansi(part).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD why = ::GetLastError();
            return why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND ? PathKind::missing
                                                                              : PathKind::unknown;
        }
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::folder : PathKind::not_a_folder;
    });
    return outcome;
}

void name_users(FileOutcome& outcome, const std::string& folder, const std::string& record) {
    const bool records_owner =
        outcome.error == FileError::file_access_denied || outcome.error == FileError::owner_only;
    if (!records_owner && outcome.error != FileError::access_denied) return;
    std::array<wchar_t, 257> user{};  // UNLEN + 1
    DWORD length = user.size();
    if (::GetUserNameW(user.data(), &length)) outcome.user = ansi_from_wide(user.data());
    outcome.owner = owner_of(wide_from_ansi(records_owner ? record : folder));
}

}  // namespace platform
