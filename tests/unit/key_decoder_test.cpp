#include "platform/posix/key_decoder.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/posix/terminal_description.hpp"

// Why a check of terminal descriptions has nothing to check: null where they are read.
#ifndef QKEDITOR_BUILTIN_KEY_TABLE
// Last: it defines a macro for every capability's long name.
#include <term.h>
constexpr const char* no_descriptions = nullptr;
#else
constexpr const char* no_descriptions = "built without ncurses' terminfo library: no description is read";
#endif

namespace {

using platform::DecodeResult;
using platform::DecodeStatus;
using platform::KeyPress;

std::vector<unsigned char> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

DecodeResult decode(std::string_view text, bool more_may_follow = true,
                    std::span<const platform::DescribedKey> described = {}) {
    const auto input = bytes(text);
    return platform::decode_terminal_key(input, more_may_follow, described);
}

// Decodes a whole byte stream the way the terminal reader does, and gives
// every key code in order, second codes included.
std::vector<int> codes_of(std::string_view text) {
    auto input = bytes(text);
    std::vector<int> codes;
    while (!input.empty()) {
        DecodeResult result = platform::decode_terminal_key(input, true);
        if (result.status == DecodeStatus::need_more) result = platform::decode_terminal_key(input, false);
        EXPECT_GE(result.length, 1U);
        EXPECT_LE(result.length, input.size());
        if (result.status == DecodeStatus::key) {
            codes.push_back(result.codes.first);
            if (result.codes.second >= 0) codes.push_back(result.codes.second);
        }
        input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(result.length));
    }
    return codes;
}

struct SequenceCase {
    const char* bytes;
    KeyPress codes;
    const char* type = nullptr;  // the terminal type whose description reads them, if any
};

TEST(KeyDecoder, TerminalSequencesGiveTheWindowsConsoleCodes) {
    // clang-format off
    const SequenceCase cases[] = {
        // Cursor keys in normal and application mode.
        {"\x1b[A", {224, 72}}, {"\x1b[B", {224, 80}}, {"\x1b[D", {224, 75}}, {"\x1b[C", {224, 77}},
        {"\x1bOA", {224, 72}}, {"\x1bOB", {224, 80}}, {"\x1bOD", {224, 75}}, {"\x1bOC", {224, 77}},
        // Home and End in the forms of xterm, tmux/screen, rxvt.
        {"\x1b[H", {224, 71}}, {"\x1bOH", {224, 71}}, {"\x1b[1~", {224, 71}}, {"\x1b[7~", {224, 71}},
        {"\x1b[F", {224, 79}}, {"\x1bOF", {224, 79}}, {"\x1b[4~", {224, 79}}, {"\x1b[8~", {224, 79}},
        // Editing keys.
        {"\x1b[5~", {224, 73}}, {"\x1b[6~", {224, 81}}, {"\x1b[2~", {224, 82}}, {"\x1b[3~", {224, 83}},
        // Function keys; the numbers skip 16 and 22.
        {"\x1bOP", {0, 59}}, {"\x1bOQ", {0, 60}}, {"\x1bOR", {0, 61}}, {"\x1bOS", {0, 62}},
        {"\x1b[15~", {0, 63}}, {"\x1b[17~", {0, 64}}, {"\x1b[18~", {0, 65}}, {"\x1b[19~", {0, 66}},
        {"\x1b[20~", {0, 67}}, {"\x1b[21~", {0, 68}}, {"\x1b[23~", {224, 133}}, {"\x1b[24~", {224, 134}},
        {"\x1b[11~", {0, 59}}, {"\x1b[[A", {0, 59}}, {"\x1b[[E", {0, 63}},
        // Modifiers: Shift leaves the grey keys alone; Alt wins over Ctrl.
        {"\x1b[1;2A", {224, 72}}, {"\x1b[1;5A", {224, 141}}, {"\x1b[1;3A", {0, 152}}, {"\x1b[1;7A", {0, 152}},
        {"\x1b[5;5~", {224, 134}}, {"\x1b[3;3~", {0, 163}}, {"\x1b[1;2P", {0, 84}}, {"\x1b[1;5P", {0, 94}},
        {"\x1b[15;5~", {0, 98}}, {"\x1b[24;3~", {224, 140}},
        // Alt sent as an Escape prefix on a sequence.
        {"\x1b\x1b[A", {0, 152}},
        // Keys the console gives as one code.
        {"\x1b[Z", {9}}, {"\x1bOM", {13}},
        // rxvt's F-keys that its description lacks: Shift, Ctrl in the last
        // byte; Shift+F3 to F10 after F11 and F12.
        {"\x1b[23$", {224, 135}}, {"\x1b[11^", {0, 94}}, {"\x1b[34^", {0, 103}},
        // The application keypad with NumLock off: its keys by position, even
        // where a description names them, unless it names them F-keys.
        {"\x1bOq", {0, 79}}, {"\x1bOx", {0, 72}}, {"\x1bOn", {0, 83}}, {"\x1bO5y", {0, 132}},
        {"\x1bOp", {0, 82}, "xterm"}, {"\x1bOt", {0, 63}, "vt100"},
        // The longest string wins: Home, where Enter's string starts it.
        {"\x1b[1~", {224, 71}, "att4418"},
    };
    // clang-format on
    for (const SequenceCase& c : cases) {
        if (c.type != nullptr && no_descriptions != nullptr) continue;
        const std::string_view text = c.bytes;
        const auto keys =
            c.type ? platform::read_terminal_description(c.type).keys : std::vector<platform::DescribedKey>{};
        const DecodeResult result = decode(text, true, keys);
        EXPECT_EQ(result.status, DecodeStatus::key) << testing::PrintToString(text);
        EXPECT_EQ(result.length, text.size()) << testing::PrintToString(text);
        EXPECT_EQ(result.codes, c.codes) << testing::PrintToString(text);
    }
}

TEST(KeyDecoder, CharacterKeysGiveOneCode) {
    EXPECT_EQ(codes_of("a1 S"), (std::vector<int>{'a', '1', ' ', 'S'}));
    EXPECT_EQ(codes_of("\r\x03\x05"), (std::vector<int>{13, 3, 5}));  // Enter, Ctrl+C, Ctrl+E
    EXPECT_EQ(codes_of("\x7f"), (std::vector<int>{8}));               // Backspace, as on the console
    EXPECT_EQ(codes_of("\033b"), (std::vector<int>{'b'}));            // Alt+b: the letter itself
}

TEST(KeyDecoder, UTF8CharacterIsOneKeyWithItsLatin1Code) {
    EXPECT_EQ(codes_of("\xc3\xb1"), (std::vector<int>{0xF1}));     // n with tilde
    EXPECT_EQ(codes_of("\xe2\x82\xac"), (std::vector<int>{'?'}));  // euro sign: beyond Latin-1
    EXPECT_EQ(codes_of("\xf0\x9f\x98\x80z"), (std::vector<int>{'?', 'z'}));
}

TEST(KeyDecoder, SplitUTF8CharacterWaitsForItsLastByte) {
    EXPECT_EQ(decode("\xc3").status, DecodeStatus::need_more);
    EXPECT_EQ(decode("\xe2\x82").status, DecodeStatus::need_more);
    const DecodeResult whole = decode("\xe2\x82\xac");
    EXPECT_EQ(whole.status, DecodeStatus::key);
    EXPECT_EQ(whole.length, 3U);
}

TEST(KeyDecoder, BytesThatAreNotUTF8AreKeysOfTheirOwn) {
    // A Latin-1 terminal sends one byte per character.
    EXPECT_EQ(codes_of("\361a"), (std::vector<int>{0xF1, 'a'}));
    const DecodeResult lone = decode("\xe9", false);
    EXPECT_EQ(lone.codes, KeyPress{0xE9});
    EXPECT_EQ(codes_of("\xc0\x80"), (std::vector<int>{0xC0, 0x80}));  // overlong form refused
}

TEST(KeyDecoder, LoneEscapeIsTheEscapeKeyOnceNothingFollows) {
    EXPECT_EQ(decode("\x1b", true).status, DecodeStatus::need_more);
    const DecodeResult alone = decode("\x1b", false);
    EXPECT_EQ(alone.status, DecodeStatus::key);
    EXPECT_EQ(alone.codes, KeyPress{27});
    EXPECT_EQ(codes_of("\x1b\x1b"), (std::vector<int>{27, 27}));  // two presses in one read
}

TEST(KeyDecoder, IncompleteSequenceWaitsThenIsDroppedWhole) {
    EXPECT_EQ(decode("\x1b[", true).status, DecodeStatus::need_more);
    EXPECT_EQ(decode("\x1b[1;5", true).status, DecodeStatus::need_more);
    const DecodeResult cut = decode("\x1b[1;5", false);
    EXPECT_EQ(cut.status, DecodeStatus::skipped);
    EXPECT_EQ(cut.length, 5U);
    // Where Enter sends "\E[", the start of longer keys: Enter once nothing
    // follows, and a key cut short is no Enter and digits.
    if (no_descriptions != nullptr) GTEST_SKIP() << no_descriptions;
    const auto keys = platform::read_terminal_description("att4418").keys;
    EXPECT_EQ(decode("\x1b[", true, keys).status, DecodeStatus::need_more);
    EXPECT_EQ(decode("\x1b[", false, keys).codes, KeyPress{13});
    EXPECT_EQ(decode("\x1b[1", false, keys).status, DecodeStatus::skipped);
    EXPECT_EQ(decode("\x1b[1", false, keys).length, 3U);
}

// And so are keys the console gives nothing for: the keypad's 5, and Alt
// with its keys, which types characters by their numbers there.
TEST(KeyDecoder, UnknownSequenceIsSwallowedWhole) {
    for (const std::string_view text :
         {"\x1b[99~", "\x1b[1;5X", "\x1b[?1;2c", "\x1bOz", "\x1b[1 q", "\x1bOu", "\x1b\x1bOq"}) {
        const DecodeResult result = decode(text);
        EXPECT_EQ(result.status, DecodeStatus::skipped) << testing::PrintToString(text);
        EXPECT_EQ(result.length, text.size()) << testing::PrintToString(text);
    }
    EXPECT_EQ(codes_of("\x1b[99~x"), (std::vector<int>{'x'}));
}

TEST(KeyDecoder, EndlessSequenceIsDroppedInsteadOfGrowing) {
    const std::string endless = "\x1b[" + std::string(40, '1');
    const DecodeResult result = decode(endless, true);
    EXPECT_EQ(result.status, DecodeStatus::skipped);
    EXPECT_EQ(result.length, endless.size());
}

TEST(KeyDecoder, SeveralKeysInOneReadAreAllDelivered) {
    EXPECT_EQ(codes_of("5\x1b[A"
                       "0s\x1b[3~\x1bOP"
                       "\xc3\xb1"),
              (std::vector<int>{'5', 224, 72, '0', 's', 224, 83, 0, 59, 0xF1}));
}

// A build without ncurses' terminfo library reads no description (and says so
// when it is configured): these checks have nothing to check there.
#ifndef QKEDITOR_BUILTIN_KEY_TABLE
// Every key string of a terminal type's description, by its capability's name.
std::map<std::string, std::string> key_strings(const char* type) {
    int error = 0;
    EXPECT_EQ(setupterm(type, -1, &error), 0) << type << ": no description (ncurses-term installed?)";
    std::map<std::string, std::string> strings;
    const TERMTYPE& entry = cur_term->type;
    const int first_extension = entry.num_Strings - entry.ext_Strings;
    char** const extension_names = entry.ext_Names + entry.ext_Booleans + entry.ext_Numbers;
    for (int i = 0; i < entry.num_Strings; ++i) {
        const std::string name = i < first_extension ? strnames[i] : extension_names[i - first_extension];
        const char* value = entry.Strings[i];
        if (name[0] == 'k' && value != nullptr && reinterpret_cast<std::intptr_t>(value) != -1)
            strings[name] = value;
    }
    del_curterm(cur_term);
    return strings;
}

// Every key string of a description gives what xterm's string of the same
// name gives (its forms are checked above), and is read whole even where it
// is no key. But for the keypad's positions (ka1 to kc3, kp5), other keys on
// other terminals; and where Shift+F1 and Shift+F2 send F11 and F12, F13 to
// F20 are Shift+F3 to Shift+F10, xterm's F15 to F22.
TEST(KeyDecoder, EveryKeyStringOfATerminalsDescriptionGivesItsWindowsCodes) {
    const auto xterm = key_strings("xterm");
    for (const std::string type :
         {"xterm", "rxvt-unicode-256color", "st-256color", "linux", "vt100", "screen", "putty"}) {
        const bool shift_sends_f11 = type == "rxvt-unicode-256color" || type == "linux" || type == "putty";
        const auto description = platform::read_terminal_description(type.c_str());
        for (const auto& [name, text] : key_strings(type.c_str())) {
            const DecodeResult result = decode(text, false, description.keys);
            EXPECT_EQ(result.length, text.size()) << type << " " << name;
            int f = 0;
            const bool shifted = shift_sends_f11 && std::sscanf(name.c_str(), "kf%d", &f) == 1 && f > 12;
            const auto same = xterm.find(shifted ? "kf" + std::to_string(f + 2) : name);
            if (same == xterm.end() || std::regex_match(name, std::regex("k([abc][123]|p5)"))) continue;
            EXPECT_EQ(result.codes, decode(same->second, false).codes) << type << " " << name;
        }
    }
}
#endif

// Beside its keys, a description gives the keypad's switches, both or
// neither, and the screen's clear as clear(1) sends it: padded for the
// output's speed (NUL bytes on a slow terminal), the scrollback's erase after
// it where there is one, a line end where there is none.
TEST(KeyDecoder, TerminalDescriptionGivesKeypadSwitchesInPairsAndItsClear) {
    if (no_descriptions != nullptr) GTEST_SKIP() << no_descriptions;
    const std::string_view common_clear = "\x1b[H\x1b[2J\x1b[3J";
    const std::string_view cases[][4] = {
        {"xterm", "\x1b[?1h\x1b=", "\x1b[?1l\x1b>", common_clear},
        {"tek4125", "", "", "\x1b[H\x1b[J"},  // "\E=" alone; "$<50>" of padding
        {"dumb", "", "", "\n"},
        {"no-such-terminal", "", "", common_clear},
    };
    for (const auto& [type, keypad_on, keypad_off, clear] : cases) {
        const auto description = platform::read_terminal_description(std::string(type).c_str());
        EXPECT_EQ(description.keypad_on, keypad_on) << type;
        EXPECT_EQ(description.keypad_off, keypad_off) << type;
        EXPECT_EQ(description.clear.substr(0, clear.size()), clear) << type;
        EXPECT_EQ(description.clear.find_first_not_of('\0', clear.size()), std::string::npos) << type;
    }
}

}  // namespace
