#include "platform/windows/listed_name.hpp"

#include <windows.h>

#include "platform/windows/code_page.hpp"

namespace platform {

// The search gives the name the folder lists the file under, whichever of its
// names found it. One that fails (a folder whose contents may not be listed)
// is taken at its word.
FileOutcome check_not_an_alias(const std::wstring& target, std::wstring_view file_name) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(target.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    ::FindClose(search);
    if (::CompareStringOrdinal(file_name.data(), static_cast<int>(file_name.size()), found.cFileName, -1,
                               TRUE) == CSTR_EQUAL) {
        return {};
    }
    FileOutcome outcome{FileError::other_name, ERROR_ALREADY_EXISTS};
    outcome.listed_name = ansi_from_wide(found.cFileName);
    return outcome;
}

}  // namespace platform
