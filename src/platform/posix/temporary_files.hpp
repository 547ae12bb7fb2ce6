// The program's temporary files: new content is written to one in the
// record's folder, then put in the record's place. A signal that ends the
// process meanwhile removes the one registered. The leftovers that crashes
// left are removed here too: a write's own record's at each write, a whole
// folder's where the operator asks for the folders (remove_leftovers).
#pragma once

#include <string>

namespace platform {

// Creates the temporary file of a write of the record `file_name` in
// `folder`, with mode 0600, and registers it for removal by the handlers,
// with the signals blocked in between: no signal can leave it behind
// unregistered. It takes the record's temporary name where that is free
// (see temporary_names.hpp); otherwise a name of its own, and the file
// under the record's temporary name is removed if it is a leftover. Sets
// `path`; gives the descriptor, or -1 with errno set.
int create_temporary_file(const std::string& folder, const std::string& file_name, std::string& path);

// The temporary file is in place or gone: the handlers leave it alone.
void forget_temporary_file();

// For the signal handlers, async-signal-safe: removes the registered
// temporary file, if there is one.
void remove_temporary_file_for_signal();

}  // namespace platform
