// Turns the bytes a POSIX terminal sends for key presses, as they arrive,
// into the codes the Windows console gives for the same keys, so that the
// rest of the program sees one set of key codes on every platform.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "platform/platform.hpp"
#include "platform/posix/key_table.hpp"

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
    // Decided because no more came, though the bytes were the start of a
    // longer key: a key cut short, unless it is Escape alone or a key whose
    // string starts others (read as that key).
    bool cut = false;
};

// Decodes the first key press in `input` (which must not be empty).
// `more_may_follow` says whether further bytes may still arrive: when it is
// false, nothing returns need_more. Bytes from an ESC are the longest string
// of `table` that they make, or a whole control sequence (ESC [ or ESC O, up
// to its final byte) where that is longer, which is no key; a lone Escape
// is the Escape key, and ESC before a character is Alt with that character.
DecodeResult decode_terminal_key(const KeyTable& table, std::span<const unsigned char> input,
                                 bool more_may_follow);

// How long the rest of a key is waited for: ESCDELAY's milliseconds, as
// curses programs read it (a decimal number; at most ten seconds), or a
// tenth of a second without it, or where it is no such number.
inline constexpr std::chrono::milliseconds default_key_wait{100};
inline constexpr std::chrono::milliseconds longest_key_wait{10000};
std::chrono::milliseconds key_wait(const char* escdelay);

// After a key's wait ran out, what comes of its rest within this time is
// dropped: the rest of an ESC [ or ESC O sequence up to its final byte, the
// rest of a string of the table.
inline constexpr std::chrono::milliseconds cut_key_window{1000};

// The terminal's bytes, as they arrive, made into key presses. Times are
// milliseconds on a steady clock.
class KeyDecoder {
public:
    KeyDecoder(const KeyTable& table, std::chrono::milliseconds wait);

    // Bytes that have arrived at `now`.
    void add(std::span<const unsigned char> bytes, std::chrono::milliseconds now);

    struct Next {
        std::optional<KeyPress> key;
        // Without a key: how long to wait for more bytes before asking again;
        // empty when only a new key can follow, which may take any time.
        std::optional<std::chrono::milliseconds> wait;
    };

    // The next key press, as of `now`; asked after each byte added and when
    // a wait it gave has run out.
    Next next(std::chrono::milliseconds now);

private:
    enum class Rest { none, dropped, awaited };
    Rest drop_rest_of_cut(bool waited);
    void keep_as_cut(std::size_t length);
    void forget_cut();

    const KeyTable& table_;
    std::chrono::milliseconds wait_;
    // The bytes not yet decided; before them, the first cut_length_ bytes
    // are a cut key, decided already, kept while its rest may come.
    std::vector<unsigned char> pending_;
    std::size_t cut_length_ = 0;
    std::chrono::milliseconds last_arrival_{0};
    bool wait_given_ = false;  // a wait for more has been given since the last byte
};

}  // namespace platform
