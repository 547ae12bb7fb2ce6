// Standard output, as the other POSIX pieces share it.
#pragma once

namespace platform {

// Whether standard output is a terminal, as opposed to a file or a pipe.
bool stdout_is_terminal();

}  // namespace platform
