// The program's temporary files: new content is written to one in the
// record's folder, then put in the record's place.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// A new temporary file in `folder` (a long path), open for writing; never an
// existing file. Others may remove it while it is open, as a console event's
// handler does. Sets `path` to its long path. INVALID_HANDLE_VALUE on
// failure, with the reason in GetLastError.
HANDLE create_temporary(const std::wstring& folder, std::wstring& path);

// Removes from `folder` the temporary files of earlier runs that are old
// enough to be leftovers of a crash, judged against the time the file system
// gave `fresh`, a file just created there; anything else is left alone.
void remove_leftovers(const std::wstring& folder, HANDLE fresh);

}  // namespace platform
