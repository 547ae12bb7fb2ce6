// Writing to a file descriptor until everything is out.
#pragma once

#include <string_view>

namespace platform {

// Writes all of `bytes` to `fd`, going on after short writes and interrupted
// calls; false with errno set when the descriptor refuses them.
bool write_all(int fd, std::string_view bytes);

}  // namespace platform
