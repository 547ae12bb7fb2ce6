#include "platform/posix/key_decoder.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "platform/extended_keys.hpp"
#include "text/entry_text.hpp"

namespace platform {
namespace {

constexpr unsigned char escape = 0x1B;
constexpr unsigned char delete_byte = 0x7F;
constexpr int backspace = 8;
constexpr int unknown_character = '?';

// Longest escape sequence worth waiting for; anything longer is dropped.
constexpr std::size_t longest_sequence = 32;

// clang-format off
enum KeyId : unsigned char {
    home, up, page_up, left, right, end, down, page_down, insert, del,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12,
    back_tab, keypad_enter,
};

// Indexed by KeyId.
constexpr std::array<KeyRow, 24> key_rows = {{
    extended_keys::home, extended_keys::up, extended_keys::page_up, extended_keys::left,
    extended_keys::right, extended_keys::end, extended_keys::down, extended_keys::page_down,
    extended_keys::insert, extended_keys::del,
    function_key(1), function_key(2), function_key(3), function_key(4), function_key(5),
    function_key(6), function_key(7), function_key(8), function_key(9), function_key(10),
    extended_keys::f11, extended_keys::f12,
    {{9}, {9}, {9}, {9}},  // Shift+Tab: the console gives Tab
    extended_keys::keypad_enter,
}};

// A sequence as terminals send it: ESC, the introducer, a number, the final byte.
// Modifiers travel as a further number and are not part of the table.
struct Sequence {
    std::string_view introducer;
    int number;
    unsigned char final_byte;
    KeyId key;
};

constexpr std::array sequences = {
    // Cursor keys, Home and End: normal mode (CSI) and application mode (SS3).
    Sequence{"[", 1, 'A', up}, Sequence{"[", 1, 'B', down}, Sequence{"[", 1, 'C', right},
    Sequence{"[", 1, 'D', left}, Sequence{"[", 1, 'H', home}, Sequence{"[", 1, 'F', end},
    Sequence{"O", 1, 'A', up}, Sequence{"O", 1, 'B', down}, Sequence{"O", 1, 'C', right},
    Sequence{"O", 1, 'D', left}, Sequence{"O", 1, 'H', home}, Sequence{"O", 1, 'F', end},
    // Editing keys, with the rxvt forms of Home and End.
    Sequence{"[", 1, '~', home}, Sequence{"[", 2, '~', insert}, Sequence{"[", 3, '~', del},
    Sequence{"[", 4, '~', end}, Sequence{"[", 5, '~', page_up}, Sequence{"[", 6, '~', page_down},
    Sequence{"[", 7, '~', home}, Sequence{"[", 8, '~', end},
    // F1 to F4: SS3, the CSI form used with modifiers, and the old numbered forms.
    Sequence{"O", 1, 'P', f1}, Sequence{"O", 1, 'Q', f2}, Sequence{"O", 1, 'R', f3},
    Sequence{"O", 1, 'S', f4}, Sequence{"[", 1, 'P', f1}, Sequence{"[", 1, 'Q', f2},
    Sequence{"[", 1, 'R', f3}, Sequence{"[", 1, 'S', f4}, Sequence{"[", 11, '~', f1},
    Sequence{"[", 12, '~', f2}, Sequence{"[", 13, '~', f3}, Sequence{"[", 14, '~', f4},
    // F5 to F12 (the numbers skip 16 and 22).
    Sequence{"[", 15, '~', f5}, Sequence{"[", 17, '~', f6}, Sequence{"[", 18, '~', f7},
    Sequence{"[", 19, '~', f8}, Sequence{"[", 20, '~', f9}, Sequence{"[", 21, '~', f10},
    Sequence{"[", 23, '~', f11}, Sequence{"[", 24, '~', f12},
    // The Linux console's F1 to F5.
    Sequence{"[[", 1, 'A', f1}, Sequence{"[[", 1, 'B', f2}, Sequence{"[[", 1, 'C', f3},
    Sequence{"[[", 1, 'D', f4}, Sequence{"[[", 1, 'E', f5},
    // Shift+Tab and the application keypad's Enter.
    Sequence{"[", 1, 'Z', back_tab}, Sequence{"O", 1, 'M', keypad_enter},
};
// clang-format on

DecodeResult key(std::size_t length, KeyPress codes) {
    return {DecodeStatus::key, length, codes};
}

DecodeResult skipped(std::size_t length) {
    return {DecodeStatus::skipped, length};
}

DecodeResult need_more() {
    return {DecodeStatus::need_more};
}

// A character key. A UTF-8 character is one key with its Latin-1 code, or "?"
// beyond Latin-1, as the console's conversion to a code page gives it; a byte
// that does not start valid UTF-8 is a key of its own (a Latin-1 terminal).
DecodeResult decode_character(std::span<const unsigned char> in, bool more_may_follow) {
    const unsigned char lead = in[0];
    if (lead == delete_byte) return key(1, {backspace});
    const text::Utf8Character character =
        text::next_utf8_character({reinterpret_cast<const char*>(in.data()), in.size()});
    if (character.length == 0) return more_may_follow ? need_more() : key(1, {lead});
    if (!character.valid) return key(1, {lead});
    const char32_t code = character.code_point;
    return key(character.length, {code <= 0xFF ? static_cast<int>(code) : unknown_character});
}

// The numbers of a sequence's parameters ("1;5"), at most two; empty if the
// parameters are not plain numbers.
struct Parameters {
    std::array<int, 2> numbers{};
    std::size_t count = 0;
};

std::optional<Parameters> parse_parameters(std::span<const unsigned char> text) {
    Parameters parameters;
    if (text.empty()) return parameters;
    parameters.count = 1;
    for (const unsigned char byte : text) {
        if (byte == ';') {
            if (parameters.count == parameters.numbers.size()) return std::nullopt;
            ++parameters.count;
        } else if (byte >= '0' && byte <= '9') {
            int& number = parameters.numbers[parameters.count - 1];
            number = std::min(number * 10 + (byte - '0'), 9999);
        } else {
            return std::nullopt;
        }
    }
    return parameters;
}

// The modifier number is 1 plus Shift 1, Alt 2, Ctrl 4 and Meta 8; as on the
// Windows console, Alt wins over Ctrl, and Ctrl over Shift.
KeyPress with_modifier(const KeyRow& row, int modifier, bool alt) {
    const int bits = modifier > 1 ? modifier - 1 : 0;
    if (alt || (bits & (2 | 8)) != 0) return row.alt;
    if ((bits & 4) != 0) return row.ctrl;
    if ((bits & 1) != 0) return row.shift;
    return row.plain;
}

std::optional<KeyPress> look_up(std::string_view introducer, std::span<const unsigned char> parameter_text,
                                unsigned char final_byte, bool alt) {
    const auto parameters = parse_parameters(parameter_text);
    if (!parameters) return std::nullopt;
    const auto& numbers = parameters->numbers;
    int number = 1;
    int modifier = 1;
    if (introducer == "[") {
        if (parameters->count >= 1 && numbers[0] != 0) number = numbers[0];
        if (parameters->count == 2) modifier = numbers[1];
    } else if (parameters->count >= 1) {
        modifier = numbers[parameters->count - 1];
    }
    for (const Sequence& sequence : sequences) {
        if (sequence.introducer == introducer && sequence.number == number &&
            sequence.final_byte == final_byte) {
            return with_modifier(key_rows[sequence.key], modifier, alt);
        }
    }
    return std::nullopt;
}

// A CSI or SS3 sequence; `in` starts at the byte after ESC ("[" or "O").
DecodeResult decode_sequence(std::span<const unsigned char> in, bool more_may_follow, bool alt) {
    if (in.size() == 1) return more_may_follow ? need_more() : key(1, {in[0]});

    std::string_view introducer = in[0] == '[' ? "[" : "O";
    std::size_t i = 1;
    if (in[0] == '[' && in[1] == '[') {
        introducer = "[[";
        i = 2;
    }
    const std::size_t parameters_begin = i;
    while (i < in.size() && in[i] >= 0x30 && in[i] <= 0x3F) ++i;
    const std::size_t parameters_end = i;
    while (i < in.size() && in[i] >= 0x20 && in[i] <= 0x2F) ++i;
    if (i == in.size()) {
        return more_may_follow && in.size() < longest_sequence ? need_more() : skipped(in.size());
    }
    const unsigned char final_byte = in[i];
    if (final_byte < 0x40 || final_byte > 0x7E) return skipped(i);  // broken: keep the stray byte
    if (parameters_end != i) return skipped(i + 1);                 // intermediates: not a key

    const auto codes =
        look_up(introducer, in.subspan(parameters_begin, parameters_end - parameters_begin), final_byte, alt);
    return codes ? key(i + 1, *codes) : skipped(i + 1);
}

DecodeResult with_prefix(DecodeResult result, std::size_t prefix) {
    if (result.status != DecodeStatus::need_more) result.length += prefix;
    return result;
}

// Escape: the key itself, the start of a sequence, or Alt held with a key.
DecodeResult decode_escape(std::span<const unsigned char> in, bool more_may_follow) {
    if (in.size() == 1) return more_may_follow ? need_more() : key(1, {escape});

    std::size_t start = 1;
    bool alt = false;
    if (in[1] == escape) {  // Alt with Escape, or with a key that is a sequence
        if (in.size() == 2) return more_may_follow ? need_more() : key(2, {escape});
        if (in[2] != '[' && in[2] != 'O') return key(2, {escape});
        start = 2;
        alt = true;
    }
    if (in[start] == '[' || in[start] == 'O') {
        return with_prefix(decode_sequence(in.subspan(start), more_may_follow, alt), start);
    }
    // Alt with a character key: the console gives the character itself.
    return with_prefix(decode_character(in.subspan(1), more_may_follow), 1);
}

}  // namespace

DecodeResult decode_terminal_key(std::span<const unsigned char> input, bool more_may_follow) {
    if (input[0] == escape) return decode_escape(input, more_may_follow);
    return decode_character(input, more_may_follow);
}

}  // namespace platform
