#include "platform/windows/key_table.hpp"

#include <gtest/gtest.h>

#include <optional>

namespace {

using platform::KeyPress;

enum Modifier : unsigned { none = 0, shift = 1, ctrl = 2, alt = 4 };

std::optional<KeyPress> codes(int scan_code, bool enhanced, unsigned modifiers = none,
                              unsigned char character = 0) {
    return platform::key_codes({character, scan_code, enhanced, (modifiers & shift) != 0,
                                (modifiers & ctrl) != 0, (modifiers & alt) != 0});
}

TEST(WindowsKeyTable, CharacterWinsOverEveryTableEntry) {
    EXPECT_EQ(codes(0x1E, false, none, 'a'), KeyPress{'a'});
    EXPECT_EQ(codes(0x30, false, alt, 'b'), KeyPress{'b'});    // Alt+letter gives the letter
    EXPECT_EQ(codes(0x12, false, ctrl, 5), KeyPress{5});       // Ctrl+E
    EXPECT_EQ(codes(0x2E, false, ctrl, 3), KeyPress{3});       // Ctrl+C, processing off
    EXPECT_EQ(codes(0x48, false, shift, '8'), KeyPress{'8'});  // Shift+keypad 8 with NumLock off
    EXPECT_EQ(codes(0, false, none, 0xA4), KeyPress{164});     // code page byte, not negative
    EXPECT_EQ(codes(0x1C, true, none, '\r'), KeyPress{13});    // keypad Enter
}

TEST(WindowsKeyTable, GreyKeysLead224AndAltLeadsZero) {
    EXPECT_EQ(codes(72, true), (KeyPress{224, 72}));         // Up
    EXPECT_EQ(codes(83, true), (KeyPress{224, 83}));         // Delete
    EXPECT_EQ(codes(72, true, shift), (KeyPress{224, 72}));  // Shift does not change it
    EXPECT_EQ(codes(73, true, ctrl), (KeyPress{224, 134}));  // Ctrl+PgUp, same pair as F12
    EXPECT_EQ(codes(83, true, alt), (KeyPress{0, 163}));     // Alt+Delete
    EXPECT_EQ(codes(53, true, ctrl), (KeyPress{0, 149}));    // Ctrl+keypad /
    EXPECT_EQ(codes(28, true, alt), (KeyPress{0, 166}));     // Alt+keypad Enter
}

TEST(WindowsKeyTable, KeypadWithNumLockOffLeadsZeroAndKeysOutsideTheTableGiveNothing) {
    EXPECT_EQ(codes(71, false), (KeyPress{0, 71}));         // keypad 7 Home
    EXPECT_EQ(codes(72, false, shift), (KeyPress{0, 72}));  // an arrow stays an arrow
    EXPECT_EQ(codes(73, false, ctrl), (KeyPress{0, 132}));  // not the grey key's 134
    EXPECT_EQ(codes(83, false, ctrl), (KeyPress{0, 147}));  // keypad . Del
    // Nothing for Alt+keypad (it types by number) and keypad 5; nor for keys
    // outside the table: Shift, Ctrl or Alt alone, Caps Lock, Escape without
    // its character, a key the console could not map, a grey key of a scan
    // code that no grey key has, and a scan code beyond the table.
    // clang-format off
    for (const auto& [scan, enhanced, modifiers] : {std::tuple{72, false, alt}, {76, false, none}, {42, false, shift}, {29, false, ctrl},
             {56, false, alt}, {58, false, none}, {1, false, none}, {0, false, none}, {59, true, none}, {200, false, none}})
        EXPECT_EQ(codes(scan, enhanced, modifiers), std::nullopt) << scan;
    // clang-format on
}

TEST(WindowsKeyTable, FunctionKeysAndModifierPriority) {
    EXPECT_EQ(codes(59, false), (KeyPress{0, 59}));          // F1
    EXPECT_EQ(codes(68, false, shift), (KeyPress{0, 93}));   // Shift+F10
    EXPECT_EQ(codes(63, false, ctrl), (KeyPress{0, 98}));    // Ctrl+F5
    EXPECT_EQ(codes(60, false, alt), (KeyPress{0, 105}));    // Alt+F2
    EXPECT_EQ(codes(87, false), (KeyPress{224, 133}));       // F11
    EXPECT_EQ(codes(88, false, alt), (KeyPress{224, 140}));  // Alt+F12 keeps 224
    // Alt beats Ctrl beats Shift.
    EXPECT_EQ(codes(59, false, shift | ctrl), (KeyPress{0, 94}));
    EXPECT_EQ(codes(59, false, shift | ctrl | alt), (KeyPress{0, 104}));
    EXPECT_EQ(codes(75, true, ctrl | alt), (KeyPress{0, 155}));
}

}  // namespace
