// The program's temporary files: new content is written to one in the
// record's folder, then put in the record's place. A signal that ends the
// process meanwhile removes the one registered.
#pragma once

#include <string>

namespace platform {

// Creates a new file from `path` (a pattern ending in "XXXXXX", replaced by
// the file's name) with mode 0600, and registers it for removal by the
// handlers, with the signals blocked in between: no signal can leave it
// behind unregistered. Gives its descriptor, or -1 with errno set.
int create_temporary_file(std::string& path);

// The temporary file is in place or gone: the handlers leave it alone.
void forget_temporary_file();

// For the signal handlers, async-signal-safe: removes the registered
// temporary file, if there is one.
void remove_temporary_file_for_signal();

}  // namespace platform
