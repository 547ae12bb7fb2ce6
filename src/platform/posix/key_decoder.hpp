// Turns the bytes a POSIX terminal sends for one key press into the codes the
// Windows console gives for the same key, so that the rest of the program sees
// one set of key codes on every platform.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "platform/extended_keys.hpp"
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

// Modifier numbers as terminals send them: 1 plus Shift 1, Alt 2, Ctrl 4.
inline constexpr int no_modifier = 1;
inline constexpr int shift_modifier = 2;
inline constexpr int ctrl_modifier = 5;

// A string that the terminal's own description gives for a key.
struct DescribedKey {
    std::string bytes;           // starts with ESC
    std::optional<KeyRow> row;   // empty: a key the console gives nothing for
    int modifier = no_modifier;  // the modifier number
};

// Decodes the first key press in `input` (which must not be empty).
// `more_may_follow` says whether further bytes may still arrive: when it is
// false, nothing returns need_more, and a lone Escape is the Escape key.
// The longest string that the bytes read so far can still complete wins,
// from `described` and the terminals' common forms together; of two of the
// same length, the description's.
DecodeResult decode_terminal_key(std::span<const unsigned char> input, bool more_may_follow,
                                 std::span<const DescribedKey> described = {});

}  // namespace platform
