// Turns the bytes a POSIX terminal sends for one key press into the codes the
// Windows console gives for the same key, so that the rest of the program sees
// one set of key codes on every platform.
#pragma once

#include <cstddef>
#include <span>

#include "platform/platform.hpp"

namespace platform {

enum class DecodeStatus {
    key,        // `length` bytes make one key press, given in `codes`
    skipped,    // `length` bytes make a sequence the program does not know
    need_more,  // the bytes so far may be the start of a longer key
};

struct DecodeResult {
    DecodeStatus status;
    std::size_t length = 0;
    KeyPress codes{-1};
};

// Decodes the first key press in `input` (which must not be empty).
// `more_may_follow` says whether further bytes may still arrive: when it is
// false, nothing returns need_more, and a lone Escape is the Escape key.
DecodeResult decode_terminal_key(std::span<const unsigned char> input, bool more_may_follow);

}  // namespace platform
