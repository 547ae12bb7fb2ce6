// Standard error, the same on every platform.
#include <cstdio>

#include "platform/platform.hpp"

namespace platform {

// What was printed before the message comes first.
void write_error(std::string_view text) {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace platform
