#include "platform/posix/key_decoder.hpp"

#include <gtest/gtest.h>

#include <chrono>
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
using platform::KeyPress;
using std::chrono::milliseconds;

// Whether a row runs in this build: one that names a terminal needs its description.
bool runs(const char* type) {
    return type == nullptr || no_descriptions == nullptr;
}

std::vector<unsigned char> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::vector<int> codes(KeyPress key) {
    return key.second < 0 ? std::vector<int>{key.first} : std::vector<int>{key.first, key.second};
}

std::vector<int> operator+(std::vector<int> codes, const std::vector<int>& more) {
    codes.insert(codes.end(), more.begin(), more.end());
    return codes;
}

platform::KeyTable table_of(const char* type) {
    return platform::KeyTable(type ? platform::read_terminal_description(type).keys
                                   : std::vector<platform::DescribedKey>{});
}

// Bytes that arrive some milliseconds after the piece before them.
using Piece = std::pair<int, std::string_view>;

// Every key code, second codes included, that the decoder gives for pieces
// fed as the terminal reader feeds them: a byte at a time when it arrives,
// and the decoder asked after each, and whenever a wait it gives runs out.
std::vector<int> codes_of(const std::vector<Piece>& pieces, const char* type = nullptr,
                          milliseconds wait = platform::default_key_wait) {
    const platform::KeyTable table = table_of(type);
    platform::KeyDecoder decoder(table, wait);
    std::vector<int> all;
    milliseconds now{0};
    milliseconds arrival{0};
    const auto read_until = [&](milliseconds until) {
        for (auto next = decoder.next(now); next.key || (next.wait && now + *next.wait < until);
             next = decoder.next(now)) {
            if (next.key) all = all + codes(*next.key);
            if (!next.key) now += *next.wait;
        }
    };
    for (const auto& [gap, text] : pieces) {
        arrival += milliseconds(gap);
        for (const char byte : text) {
            read_until(arrival);
            decoder.add(bytes({&byte, 1}), now = arrival);
        }
    }
    read_until(milliseconds::max() / 2);
    return all;
}

std::vector<int> codes_of(std::string_view text, const char* type = nullptr) {
    return codes_of({{0, text}}, type);
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
        if (!runs(c.type)) continue;
        EXPECT_EQ(codes_of(c.bytes, c.type), codes(c.codes)) << testing::PrintToString(c.bytes);
    }
}

// Bytes as they arrive, in pieces, and the codes they give.
struct Arrival {
    std::vector<Piece> pieces;
    std::vector<int> codes;
    const char* type = nullptr;
    int wait = 100;  // ESCDELAY
};

TEST(KeyDecoder, BytesGiveTheirKeysHoweverTheyArrive) {
    // clang-format off
    const Arrival cases[] = {
        // Characters, one code each; DEL is Backspace, as on the console; Alt+b the letter itself.
        {{{0, "a1 S\r\x03\x05\x7f\x1b" "b"}}, {'a', '1', ' ', 'S', 13, 3, 5, 8, 'b'}},
        // UTF-8: a character is one key with its Latin-1 code, "?" beyond it,
        // however it is split within the wait; bytes that are not UTF-8 are keys of their own.
        {{{0, "\xc3\xb1\xe2\x82\xac\xf0\x9f\x98\x80z"}}, {0xF1, '?', '?', 'z'}},
        {{{0, "\xc3"}, {50, "\xb1"}, {0, "\xe2\x82"}, {50, "\xac"}}, {0xF1, '?'}},
        {{{0, "\361a\xc0\x80"}, {0, "\xe9"}}, {0xF1, 'a', 0xC0, 0x80, 0xE9}},
        // Several keys in one read.
        {{{0, "5\x1b[A0s\x1b[3~\x1bOP\xc3\xb1"}}, {'5', 224, 72, '0', 's', 224, 83, 0, 59, 0xF1}},
        // Escape alone once nothing follows; two presses in one read.
        {{{0, "\x1b"}}, {27}}, {{{0, "\x1b\x1b"}}, {27, 27}},
        // Alt with a key split after its first ESC: Escape and the key; after both: Escape twice.
        {{{0, "\x1b"}, {150, "\x1b[A"}}, {27, 224, 72}}, {{{0, "\x1b\x1b"}, {150, "[A5"}}, {27, 27, '5'}},
        // A key cut short is dropped, and so is its rest up to its final byte,
        // however far it is cut, within a second after its wait: then what
        // comes is read again.
        {{{0, "\x1b[1;5"}}, {}}, {{{0, "\x1b"}, {600, "["}, {600, "1"}, {600, "~5"}}, {27, '5'}},
        {{{0, "\x1b[1"}, {1050, ";5A"}, {1050, "x"}}, {'x'}}, {{{0, "\x1b[1"}, {1200, ";5A"}}, {';', '5', 'A'}},
        // A string that starts others: Enter, where it comes alone or cut
        // short; the longest wins.
        {{{0, "\x1b["}}, {13}, "att4418"}, {{{0, "\x1b["}, {150, "1~5"}}, {13, '5'}, "att4418"},
        {{{0, "\x1b[1"}}, {}, "att4418"}, {{{0, "\x1b["}, {50, "1~"}}, {224, 71}, "att4418"},
        // A string that is no sequence: F1 waits for its last byte.
        {{{0, "\x1bp"}, {50, "\r"}}, {0, 59}, "hp2621"}, {{{0, "\x1bp"}, {150, "\r5"}}, {'5'}, "hp2621"},
        // A longer wait (ESCDELAY) keeps a slower key whole; with none, a key that comes whole is read.
        {{{0, "\x1b["}, {500, "1~"}}, {224, 71}, nullptr, 1500}, {{{0, "\x1b["}, {500, "1~"}}, {}, nullptr, 400},
        {{{0, "\x1b[A"}}, {224, 72}, nullptr, 0},
    };
    // clang-format on
    for (const Arrival& c : cases) {
        if (!runs(c.type)) continue;
        EXPECT_EQ(codes_of(c.pieces, c.type, milliseconds(c.wait)), c.codes)
            << testing::PrintToString(c.pieces[0].second);
    }
}

// A key split wherever it can be: one key within its wait; after it, Escape
// where only ESC came before, else nothing, its rest dropped and what follows
// read; long after, its rest is read on its own.
TEST(KeyDecoder, AKeySplitAnywhereIsOneKeyOrNothing) {
    // clang-format off
    const SequenceCase cases[] = {{"\x1b[1~", {224, 71}}, {"\x1b[15;5~", {0, 98}}, {"\x1bOP", {0, 59}}, {"\x1bO5y", {0, 132}},
        {"\x1b[[A", {0, 59}}, {"\x1b[2$", {224, 82}}, {"\x1b[3~", {224, 83}, "xterm"}, {"\x1bp\r", {0, 59}, "hp2621"}};
    // clang-format on
    for (const auto& [text, key, type] : cases) {
        for (std::size_t at = 1; runs(type) && text[at] != '\0'; ++at) {
            const std::string_view head(text, at);
            const std::string rest = text + at;
            const std::vector<int> cut = at == 1 ? std::vector<int>{27} : std::vector<int>{};
            SCOPED_TRACE(testing::PrintToString(head) + " " + testing::PrintToString(rest));
            EXPECT_EQ(codes_of({{0, head}, {50, rest + "5"}}, type), codes(key) + std::vector<int>{'5'});
            for (const int gap : {150, 1050})
                EXPECT_EQ(codes_of({{0, head}, {gap, rest + "5"}}, type), cut + std::vector<int>{'5'});
            EXPECT_EQ(codes_of({{0, head}, {1200, rest}}, type), cut + codes_of(rest, type));
        }
    }
}

// And so are keys the console gives nothing for: the keypad's 5, and Alt
// with its keys, which types characters by their numbers there; what follows
// is read.
TEST(KeyDecoder, UnknownSequenceIsSwallowedWhole) {
    for (const std::string_view text :
         {"\x1b[99~", "\x1b[1;5X", "\x1b[?1;2c", "\x1bOz", "\x1b[1 q", "\x1bOu", "\x1b\x1bOq"}) {
        EXPECT_EQ(codes_of(std::string(text) + "x"), std::vector<int>{'x'}) << testing::PrintToString(text);
    }
    // One that never ends is dropped as it comes, up to its final byte.
    const std::string endless = "\x1b[" + std::string(40, '1');
    EXPECT_EQ(codes_of({{0, endless}, {500, endless.substr(2)}, {500, "~5"}}), std::vector<int>{'5'});
}

// ESCDELAY in milliseconds, as curses programs read it; the wait without it
// (or where it is no decimal number), and at most ten seconds.
TEST(KeyDecoder, EscdelaySetsTheWaitForTheRestOfAKey) {
    // clang-format off
    const std::pair<const char*, int> cases[] = {{nullptr, 100}, {"", 100}, {"1500", 1500}, {"0", 0}, {"-5", 100},
        {" 25", 100}, {"25ms", 100}, {"99999999999999999999", 10000}};
    // clang-format on
    for (const auto& [value, wait] : cases)
        EXPECT_EQ(platform::key_wait(value), milliseconds(wait)) << (value ? value : "unset");
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
    const platform::KeyTable common;
    for (const std::string type :
         {"xterm", "rxvt-unicode-256color", "st-256color", "linux", "vt100", "screen", "putty"}) {
        const bool shift_sends_f11 = type == "rxvt-unicode-256color" || type == "linux" || type == "putty";
        const platform::KeyTable table = table_of(type.c_str());
        for (const auto& [name, text] : key_strings(type.c_str())) {
            const DecodeResult result = platform::decode_terminal_key(table, bytes(text), false);
            EXPECT_EQ(result.length, text.size()) << type << " " << name;
            int f = 0;
            const bool shifted = shift_sends_f11 && std::sscanf(name.c_str(), "kf%d", &f) == 1 && f > 12;
            const auto same = xterm.find(shifted ? "kf" + std::to_string(f + 2) : name);
            if (same == xterm.end() || std::regex_match(name, std::regex("k([abc][123]|p5)"))) continue;
            EXPECT_EQ(result.codes, platform::decode_terminal_key(common, bytes(same->second), false).codes)
                << type << " " << name;
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
