// The program's temporary files: new content is written to one in the
// record's folder, then put in the record's place. The leftovers that crashes
// left are removed here too: a write's own record's at each write, a whole
// folder's where the operator asks for the folders (remove_leftovers).
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// A new temporary file in `folder` (a long path) for a write of the record
// `file_name`, open for writing; never an existing file. Others may remove
// it while it is open, as a console event's handler does. It takes the
// record's temporary name where that can be had (see temporary_names.hpp);
// otherwise a name of its own, and the file under the record's temporary
// name is removed if it is a leftover. Sets `path` to its long path.
// INVALID_HANDLE_VALUE on failure, with the reason in GetLastError.
HANDLE create_temporary(const std::wstring& folder, const std::wstring& file_name, std::wstring& path);

}  // namespace platform
