// The strings that a POSIX terminal sends for keys without a character, in
// one prefix table: the forms that the common terminals send, with every
// modifier, and the strings of the terminal's own description. Made once,
// when the first key is awaited; the key decoder walks it byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/extended_keys.hpp"
#include "platform/platform.hpp"

namespace platform {

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

// What a string of the table stands for.
struct TableKey {
    std::optional<KeyRow> row;  // empty: a key the console gives nothing for
    int modifier = no_modifier;

    // The console's codes for the key, with Alt held as well when `alt`;
    // no_key for a key that gives nothing.
    KeyPress codes(bool alt) const;
};

class KeyTable {
public:
    // The common forms, and `described` beside them. Where two strings are
    // the same bytes, the description's wins over a common form, and the
    // first of the description's over a later one.
    explicit KeyTable(std::span<const DescribedKey> described = {});

    struct Match {
        std::size_t length = 0;         // of the longest string that the bytes start with
        const TableKey* key = nullptr;  // what that string stands for; null when there is none
        bool starts_longer = false;     // the bytes are all the start of a longer string
    };

    // The longest string of the table that `bytes` start with.
    Match match(std::span<const unsigned char> bytes) const;

private:
    struct Node {
        std::vector<std::pair<unsigned char, std::uint32_t>> next;  // by byte, the node after it
        std::int32_t key = -1;                                      // index in keys_; -1: no string ends here
        bool described = false;
    };

    // The node that `byte` leads to from `node`; 0 (the root, which no byte
    // leads to) where none does.
    std::uint32_t after(std::uint32_t node, unsigned char byte) const;
    void add(std::string_view bytes, const TableKey& key, bool described);

    std::vector<Node> nodes_;  // the first: the root, the empty string
    std::vector<TableKey> keys_;
};

}  // namespace platform
