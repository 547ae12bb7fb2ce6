#include "platform/posix/terminal_description.hpp"

#include <unistd.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// Last: it defines a macro for every capability's long name.
#include <term.h>

namespace platform {
namespace {

using namespace extended_keys;

struct NamedKey {
    const char* name;
    std::optional<KeyRow> row;  // empty: a key the console gives nothing for
    int modifier = no_modifier;
};

// The keys by their capability's name. F-keys after F12 are left to the
// decoder's own forms, which read their modifiers from the bytes: terminals
// number them differently (Shift+F1 is F13 on xterm, Shift+F3 on rxvt).
// clang-format off
constexpr NamedKey named_keys[] = {
    {"kcuu1", up}, {"kcud1", down}, {"kcub1", left}, {"kcuf1", right}, {"khome", home}, {"kend", end},
    {"kich1", insert}, {"kdch1", del}, {"kpp", page_up}, {"knp", page_down},
    {"kri", up, shift_modifier}, {"kind", down, shift_modifier},
    {"kf1", function_key(1)}, {"kf2", function_key(2)}, {"kf3", function_key(3)}, {"kf4", function_key(4)},
    {"kf5", function_key(5)}, {"kf6", function_key(6)}, {"kf7", function_key(7)}, {"kf8", function_key(8)},
    {"kf9", function_key(9)}, {"kf10", function_key(10)}, {"kf11", f11}, {"kf12", f12},
    {"kcbt", single_code('\t')}, {"kent", keypad_enter},  // the console gives Shift+Tab as Tab
    // The keypad's 0 and "." by their positions, as its other keys, and its
    // signs, whose strings mean other keys elsewhere (putty's "/" is xterm's
    // F2), and its NumLock, which gives nothing on the console.
    {"kpZRO", keypad_insert}, {"kpDOT", keypad_delete}, {"kpCMA", single_code(',')},
    {"kpADD", single_code('+')}, {"kpSUB", single_code('-')}, {"kpMUL", single_code('*')},
    {"kpDIV", single_code('/')}, {"kpNUM", std::nullopt},
};

// ncurses' names for the grey keys with modifiers: "kUP" with Shift, "kUP3"
// with Alt, "kUP5" with Ctrl, the digit being the modifier number.
struct ModifiedKey {
    const char* stem;
    KeyRow row;
};

constexpr ModifiedKey modified_keys[] = {
    {"kUP", up}, {"kDN", down}, {"kLFT", left}, {"kRIT", right}, {"kHOM", home}, {"kEND", end},
    {"kIC", insert}, {"kDC", del}, {"kPRV", page_up}, {"kNXT", page_down},
};
// clang-format on

constexpr int highest_modifier = 8;

// A string capability as the description gives it; null where it has none.
const char* described_string(const char* name) {
    const char* value = tigetstr(name);
    // (char*)-1: no string capability of that name.
    return reinterpret_cast<std::intptr_t>(value) == -1 ? nullptr : value;
}

// A string capability, without the delays ("$<5>") that only matter when
// sending it; empty where the description has none.
std::string string_capability(const std::string& name) {
    const char* value = described_string(name.c_str());
    if (value == nullptr) return {};
    std::string text;
    for (std::string_view rest = value; !rest.empty();) {
        const auto delay = rest.find("$<");
        const auto delay_end = rest.find('>', delay);
        text += rest.substr(0, delay);
        if (delay == std::string_view::npos || delay_end == std::string_view::npos) break;
        rest.remove_prefix(delay_end + 1);
    }
    return text;
}

// The text that tputs makes of a string, padding included.
std::string* padded_text = nullptr;

extern "C" int add_to_padded_text(int byte) {
    padded_text->push_back(static_cast<char>(byte));
    return byte;
}

// The screen's clear as clear(1) sends it: the description's clear, then its
// erase of the scrollback where it has one, each padded by tputs for the
// speed of standard output, where the clear goes. A terminal that cannot
// clear gets a line end, so that the next screen at least starts on a line
// of its own.
std::string screen_clear() {
    std::string text;
    padded_text = &text;
    for (const char* name : {"clear", "E3"}) {
        if (const char* value = described_string(name))
            tputs(value, lines > 0 ? lines : 1, add_to_padded_text);
    }
    padded_text = nullptr;
    return text.empty() ? "\n" : text;
}

// Only strings that start with ESC: a single byte is a character, read as one.
void add_key(TerminalDescription& description, const std::string& name, std::optional<KeyRow> row,
             int modifier) {
    std::string bytes = string_capability(name);
    if (bytes.size() >= 2 && bytes[0] == '\x1b')
        description.keys.push_back({std::move(bytes), row, modifier});
}

}  // namespace

TerminalDescription read_terminal_description(const char* type) {
    int error = 0;
    if (setupterm(type, STDOUT_FILENO, &error) != 0) return {};
    TerminalDescription description{string_capability("smkx"), string_capability("rmkx"), screen_clear(), {}};
    // A switch that cannot be undone is never made.
    if (description.keypad_on.empty() || description.keypad_off.empty()) {
        description.keypad_on.clear();
        description.keypad_off.clear();
    }
    for (const NamedKey& key : named_keys) add_key(description, key.name, key.row, key.modifier);
    for (const ModifiedKey& key : modified_keys) {
        add_key(description, key.stem, key.row, shift_modifier);
        for (int modifier = shift_modifier + 1; modifier <= highest_modifier; ++modifier) {
            add_key(description, key.stem + std::to_string(modifier), key.row, modifier);
        }
    }
    del_curterm(cur_term);
    return description;
}

}  // namespace platform
