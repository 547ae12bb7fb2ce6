#include "platform/posix/key_table.hpp"

#include <algorithm>

namespace platform {
namespace {

using namespace extended_keys;

constexpr int ctrl_shift_modifier = 6;
// Meta (8) with Shift, Alt and Ctrl.
constexpr int highest_modifier = 16;

constexpr KeyRow shift_tab = single_code('\t');  // the console gives Tab

// A sequence as terminals send it: ESC, the introducer, a number, the final
// byte. Modifiers travel as a further number, or in the form itself.
struct Sequence {
    std::string_view introducer;
    int number;
    char final_byte;
    KeyRow row;
    int modifier = no_modifier;
};

// clang-format off
constexpr Sequence sequences[] = {
    // Cursor keys, Home and End: normal mode (CSI) and application mode (SS3).
    {"[", 1, 'A', up}, {"[", 1, 'B', down}, {"[", 1, 'C', right}, {"[", 1, 'D', left},
    {"[", 1, 'H', home}, {"[", 1, 'F', end},
    {"O", 1, 'A', up}, {"O", 1, 'B', down}, {"O", 1, 'C', right}, {"O", 1, 'D', left},
    {"O", 1, 'H', home}, {"O", 1, 'F', end},
    // rxvt's cursor keys with Shift and with Ctrl.
    {"[", 1, 'a', up, shift_modifier}, {"[", 1, 'b', down, shift_modifier},
    {"[", 1, 'c', right, shift_modifier}, {"[", 1, 'd', left, shift_modifier},
    {"O", 1, 'a', up, ctrl_modifier}, {"O", 1, 'b', down, ctrl_modifier},
    {"O", 1, 'c', right, ctrl_modifier}, {"O", 1, 'd', left, ctrl_modifier},
    // Editing keys, with the rxvt forms of Home and End.
    {"[", 1, '~', home}, {"[", 2, '~', insert}, {"[", 3, '~', del}, {"[", 4, '~', end},
    {"[", 5, '~', page_up}, {"[", 6, '~', page_down}, {"[", 7, '~', home}, {"[", 8, '~', end},
    // F1 to F4: SS3, the CSI form used with modifiers, and the old numbered forms.
    {"O", 1, 'P', function_key(1)}, {"O", 1, 'Q', function_key(2)}, {"O", 1, 'R', function_key(3)},
    {"O", 1, 'S', function_key(4)}, {"[", 1, 'P', function_key(1)}, {"[", 1, 'Q', function_key(2)},
    {"[", 1, 'R', function_key(3)}, {"[", 1, 'S', function_key(4)}, {"[", 11, '~', function_key(1)},
    {"[", 12, '~', function_key(2)}, {"[", 13, '~', function_key(3)}, {"[", 14, '~', function_key(4)},
    // F5 to F12 (the numbers skip 16 and 22).
    {"[", 15, '~', function_key(5)}, {"[", 17, '~', function_key(6)}, {"[", 18, '~', function_key(7)},
    {"[", 19, '~', function_key(8)}, {"[", 20, '~', function_key(9)}, {"[", 21, '~', function_key(10)},
    {"[", 23, '~', f11}, {"[", 24, '~', f12},
    // Where Shift+F1 and Shift+F2 send F11 and F12 (rxvt, the Linux console),
    // Shift+F3 to Shift+F10 send the numbers after them.
    {"[", 25, '~', function_key(3), shift_modifier}, {"[", 26, '~', function_key(4), shift_modifier},
    {"[", 28, '~', function_key(5), shift_modifier}, {"[", 29, '~', function_key(6), shift_modifier},
    {"[", 31, '~', function_key(7), shift_modifier}, {"[", 32, '~', function_key(8), shift_modifier},
    {"[", 33, '~', function_key(9), shift_modifier}, {"[", 34, '~', function_key(10), shift_modifier},
    // The Linux console's F1 to F5.
    {"[[", 1, 'A', function_key(1)}, {"[[", 1, 'B', function_key(2)}, {"[[", 1, 'C', function_key(3)},
    {"[[", 1, 'D', function_key(4)}, {"[[", 1, 'E', function_key(5)},
    // Shift+Tab, and the application keypad: Enter, its signs, and its keys
    // with NumLock off by their positions (its 5 gives nothing). With NumLock
    // on, terminals send the digits themselves.
    {"[", 1, 'Z', shift_tab}, {"O", 1, 'M', keypad_enter},
    {"O", 1, 'p', keypad_insert}, {"O", 1, 'q', keypad_end}, {"O", 1, 'r', keypad_down},
    {"O", 1, 's', keypad_page_down}, {"O", 1, 't', keypad_left}, {"O", 1, 'v', keypad_right},
    {"O", 1, 'w', keypad_home}, {"O", 1, 'x', keypad_up}, {"O", 1, 'y', keypad_page_up},
    {"O", 1, 'n', keypad_delete}, {"O", 1, 'j', single_code('*')}, {"O", 1, 'k', single_code('+')},
    {"O", 1, 'l', single_code(',')}, {"O", 1, 'm', single_code('-')}, {"O", 1, 'o', single_code('/')},
    {"O", 1, 'X', single_code('=')},
};
// clang-format on

// Both modifiers held at once.
int combined(int modifier, int other) {
    return (std::max(modifier - 1, 0) | std::max(other - 1, 0)) + 1;
}

// rxvt ends its editing and function keys in "$" with Shift, "^" with Ctrl
// and "@" with both, where others end them in "~".
constexpr std::pair<char, int> rxvt_endings[] = {
    {'$', shift_modifier}, {'^', ctrl_modifier}, {'@', ctrl_shift_modifier}};

}  // namespace

// As on the Windows console, Alt wins over Ctrl, and Ctrl over Shift; Meta
// (8) counts as Alt.
KeyPress TableKey::codes(bool alt) const {
    if (!row) return no_key;
    const int bits = std::max(modifier - 1, 0);
    if (alt || (bits & (2 | 8)) != 0) return row->alt;
    if ((bits & 4) != 0) return row->ctrl;
    if ((bits & 1) != 0) return row->shift;
    return row->plain;
}

// Each common form as terminals send it: CSI with its number (which 1 may
// leave out), alone, with a modifier number after it, or with rxvt's
// endings; SS3 alone or with a modifier number before its final byte, as
// older terminals send it.
KeyTable::KeyTable(std::span<const DescribedKey> described) : nodes_(1) {
    for (const Sequence& form : sequences) {
        const auto add_form = [&](const std::string& parameters, char final_byte, int modifier) {
            std::string bytes(1, '\x1b');
            bytes.append(form.introducer).append(parameters).push_back(final_byte);
            add(bytes, {form.row, combined(form.modifier, modifier)}, false);
        };
        const auto each_modifier = [&](const std::string& number, std::string_view separator) {
            for (int modifier = no_modifier; modifier <= highest_modifier; ++modifier) {
                add_form(number + std::string(separator) + std::to_string(modifier), form.final_byte,
                         modifier);
            }
        };
        if (form.introducer != "[") {
            add_form("", form.final_byte, no_modifier);
            if (form.introducer == "O") each_modifier("", "");
            continue;
        }
        const std::string number = std::to_string(form.number);
        if (form.number == 1) add_form("", form.final_byte, no_modifier);
        add_form(number, form.final_byte, no_modifier);
        each_modifier(number, ";");
        if (form.final_byte != '~') continue;
        for (const auto& [ending, modifier] : rxvt_endings) add_form(number, ending, modifier);
    }
    for (const DescribedKey& key : described) add(key.bytes, {key.row, key.modifier}, true);
}

std::uint32_t KeyTable::after(std::uint32_t node, unsigned char byte) const {
    for (const auto& [edge, next] : nodes_[node].next) {
        if (edge == byte) return next;
    }
    return 0;
}

void KeyTable::add(std::string_view bytes, const TableKey& key, bool described) {
    std::uint32_t node = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (const std::uint32_t next = after(node, byte); next != 0) {
            node = next;
            continue;
        }
        const auto added = static_cast<std::uint32_t>(nodes_.size());
        nodes_[node].next.emplace_back(byte, added);
        nodes_.emplace_back();
        node = added;
    }
    Node& end = nodes_[node];
    if (end.key >= 0 && (end.described || !described)) return;  // the earlier string stays
    end.key = static_cast<std::int32_t>(keys_.size());
    end.described = described;
    keys_.push_back(key);
}

KeyTable::Match KeyTable::match(std::span<const unsigned char> bytes) const {
    Match match;
    std::uint32_t node = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        node = after(node, bytes[i]);
        if (node == 0) return match;
        if (nodes_[node].key >= 0) {
            match.length = i + 1;
            match.key = &keys_[static_cast<std::size_t>(nodes_[node].key)];
        }
    }
    match.starts_longer = !nodes_[node].next.empty();
    return match;
}

}  // namespace platform
