#include "platform/posix/key_decoder.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "text/entry_text.hpp"

namespace platform {
namespace {

using namespace extended_keys;

constexpr unsigned char escape = 0x1B;
constexpr unsigned char delete_byte = 0x7F;
constexpr int backspace = 8;
constexpr int unknown_character = '?';
constexpr int ctrl_shift_modifier = 6;

// Longest escape sequence worth waiting for; anything longer is dropped.
constexpr std::size_t longest_sequence = 32;

constexpr KeyRow shift_tab = single_code('\t');  // the console gives Tab

// A sequence as terminals send it: ESC, the introducer, a number, the final
// byte. Modifiers travel as a further number, or in the form itself.
struct Sequence {
    std::string_view introducer;
    int number;
    unsigned char final_byte;
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

DecodeResult key(std::size_t length, KeyPress codes) {
    return {DecodeStatus::key, length, codes};
}

DecodeResult skipped(std::size_t length) {
    return {DecodeStatus::skipped, length};
}

DecodeResult need_more() {
    return {DecodeStatus::need_more};
}

// A key press, or nothing for a key that the console gives nothing for.
DecodeResult pressed(std::size_t length, KeyPress codes) {
    return codes == no_key ? skipped(length) : key(length, codes);
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

// Both modifiers held at once.
int combined(int modifier, int other) {
    return (std::max(modifier - 1, 0) | std::max(other - 1, 0)) + 1;
}

// As on the Windows console, Alt wins over Ctrl, and Ctrl over Shift; Meta
// (8) counts as Alt.
KeyPress with_modifier(const KeyRow& row, int modifier, bool alt) {
    const int bits = std::max(modifier - 1, 0);
    if (alt || (bits & (2 | 8)) != 0) return row.alt;
    if ((bits & 4) != 0) return row.ctrl;
    if ((bits & 1) != 0) return row.shift;
    return row.plain;
}

// rxvt ends its editing and function keys in "$" with Shift, "^" with Ctrl
// and "@" with both, where others end them in "~".
int rxvt_modifier(unsigned char final_byte) {
    switch (final_byte) {
        case '$': return shift_modifier;
        case '^': return ctrl_modifier;
        case '@': return ctrl_shift_modifier;
        default: return no_modifier;
    }
}

std::optional<KeyPress> look_up(std::string_view introducer, std::span<const unsigned char> parameter_text,
                                unsigned char final_byte, bool alt) {
    const auto parameters = parse_parameters(parameter_text);
    if (!parameters) return std::nullopt;
    const auto& numbers = parameters->numbers;
    int number = 1;
    int modifier = no_modifier;
    if (introducer == "[") {
        if (parameters->count >= 1 && numbers[0] != 0) number = numbers[0];
        if (parameters->count == 2) modifier = numbers[1];
        if (parameters->count == 1 && rxvt_modifier(final_byte) != no_modifier) {
            modifier = rxvt_modifier(final_byte);
            final_byte = '~';
        }
    } else if (parameters->count >= 1) {
        modifier = numbers[parameters->count - 1];
    }
    for (const Sequence& sequence : sequences) {
        if (sequence.introducer == introducer && sequence.number == number &&
            sequence.final_byte == final_byte) {
            return with_modifier(sequence.row, combined(sequence.modifier, modifier), alt);
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
    // rxvt's "$" ends a sequence, where it would otherwise be an intermediate byte.
    const bool rxvt_shift =
        introducer == "[" && parameters_end > parameters_begin && i < in.size() && in[i] == '$';
    if (!rxvt_shift) {
        while (i < in.size() && in[i] >= 0x20 && in[i] <= 0x2F) ++i;
    }
    if (i == in.size()) {
        return more_may_follow && in.size() < longest_sequence ? need_more() : skipped(in.size());
    }
    const unsigned char final_byte = in[i];
    if (!rxvt_shift && (final_byte < 0x40 || final_byte > 0x7E))
        return skipped(i);                           // broken: keep the stray byte
    if (parameters_end != i) return skipped(i + 1);  // intermediates: not a key

    const auto codes =
        look_up(introducer, in.subspan(parameters_begin, parameters_end - parameters_begin), final_byte, alt);
    return codes ? pressed(i + 1, *codes) : skipped(i + 1);
}

// The longest string of `described` that `in` starts with; need_more while
// `in` may still grow into a longer one; nothing when it is none of them.
std::optional<DecodeResult> decode_described(std::span<const unsigned char> in, bool more_may_follow,
                                             std::span<const DescribedKey> described, bool alt) {
    const std::string_view text(reinterpret_cast<const char*>(in.data()), in.size());
    const DescribedKey* longest = nullptr;
    for (const DescribedKey& candidate : described) {
        if (more_may_follow && candidate.bytes.size() > text.size() && candidate.bytes.starts_with(text)) {
            return need_more();
        }
        if (text.starts_with(candidate.bytes) &&
            (longest == nullptr || candidate.bytes.size() > longest->bytes.size())) {
            longest = &candidate;
        }
    }
    if (longest == nullptr) return std::nullopt;
    if (!longest->row) return skipped(longest->bytes.size());
    return pressed(longest->bytes.size(), with_modifier(*longest->row, longest->modifier, alt));
}

DecodeResult with_prefix(DecodeResult result, std::size_t prefix) {
    if (result.status != DecodeStatus::need_more) result.length += prefix;
    return result;
}

// The longer of a description's string and a common form's sequence; while
// the bytes may still grow into either, neither. Of two of the same length,
// the description's. A sequence that was cut short, its last bytes never
// come, is dropped whole even where a description's string starts it: a key
// that arrived in pieces is never read as other keys.
DecodeResult longest(const std::optional<DecodeResult>& described, const DecodeResult& form) {
    if (!described) return form;
    if (described->status == DecodeStatus::need_more || form.status == DecodeStatus::need_more)
        return need_more();
    return form.length > described->length ? form : *described;
}

// Escape: the key itself, the start of a sequence, or Alt held with a key,
// which sends ESC before the key's own bytes.
DecodeResult decode_escape(std::span<const unsigned char> in, bool more_may_follow,
                           std::span<const DescribedKey> described) {
    if (in.size() == 1) return more_may_follow ? need_more() : key(1, {escape});

    const bool alt = in[1] == escape;
    const std::size_t start = alt ? 1 : 0;  // where the key's own bytes begin
    const auto own = in.subspan(start);
    if (own.size() == 1) return more_may_follow ? need_more() : key(1, {escape});
    const auto by_description = decode_described(own, more_may_follow, described, alt);
    if (own[1] == '[' || own[1] == 'O') {
        const DecodeResult form = with_prefix(decode_sequence(own.subspan(1), more_may_follow, alt), 1);
        return with_prefix(longest(by_description, form), start);
    }
    if (by_description) return with_prefix(*by_description, start);
    // Two Escape presses, the second one perhaps with Alt.
    if (alt) return key(1, {escape});
    // Alt with a character key: the console gives the character itself.
    return with_prefix(decode_character(in.subspan(1), more_may_follow), 1);
}

}  // namespace

DecodeResult decode_terminal_key(std::span<const unsigned char> input, bool more_may_follow,
                                 std::span<const DescribedKey> described) {
    if (input[0] == escape) return decode_escape(input, more_may_follow, described);
    return decode_character(input, more_may_follow);
}

}  // namespace platform
