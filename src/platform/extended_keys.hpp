// The codes the Windows console gives for keys that carry no character: a
// lead code of 0 or 224 and a second code, one set per modifier. The Windows
// console backend looks these keys up by scan code, the POSIX one by the
// sequence a terminal sends for them.
#pragma once

#include "platform/platform.hpp"

namespace platform {

// A key's codes with no modifier, with Shift, with Ctrl and with Alt.
struct KeyRow {
    KeyPress plain, shift, ctrl, alt;
};

// A grey editing or cursor key: its scan code after 224, unchanged by Shift.
constexpr KeyRow grey_key(int scan, int ctrl, int alt) {
    return {{224, scan}, {224, scan}, {224, ctrl}, {0, alt}};
}

// F1 to F10.
constexpr KeyRow function_key(int n) {
    return {{0, 58 + n}, {0, 83 + n}, {0, 93 + n}, {0, 103 + n}};
}

// A key that the console gives as one code whatever the modifiers.
constexpr KeyRow single_code(int code) {
    return {{code}, {code}, {code}, {code}};
}

// A modifier column that gives nothing.
inline constexpr KeyPress no_key{-1};

// A numeric keypad key with NumLock off: the grey key's codes after 0. On
// Windows the console gives Shift with these keys a digit as its character,
// so the Shift column is reached only where grey keys come without their flag
// (Wine in a Unix terminal), and there Shift+arrow stays an arrow. Alt with
// keypad keys types a character by its number, so it gives nothing here.
constexpr KeyRow keypad_key(const KeyRow& grey) {
    return {{0, grey.plain.second}, {0, grey.plain.second}, {0, grey.ctrl.second}, no_key};
}

namespace extended_keys {

inline constexpr KeyRow home = grey_key(71, 119, 151);
inline constexpr KeyRow up = grey_key(72, 141, 152);
inline constexpr KeyRow page_up = grey_key(73, 134, 153);
inline constexpr KeyRow left = grey_key(75, 115, 155);
inline constexpr KeyRow right = grey_key(77, 116, 157);
inline constexpr KeyRow end = grey_key(79, 117, 159);
inline constexpr KeyRow down = grey_key(80, 145, 160);
inline constexpr KeyRow page_down = grey_key(81, 118, 161);
inline constexpr KeyRow insert = grey_key(82, 146, 162);
inline constexpr KeyRow del = grey_key(83, 147, 163);
inline constexpr KeyRow f11 = {{224, 133}, {224, 135}, {224, 137}, {224, 139}};
inline constexpr KeyRow f12 = {{224, 134}, {224, 136}, {224, 138}, {224, 140}};
inline constexpr KeyRow keypad_enter = {{13}, {13}, {10}, {0, 166}};

// The numeric keypad with NumLock off, by its keys' positions. Ctrl with
// keypad 9 gives 132, not the grey PgUp's 134 (which F12 shares).
inline constexpr KeyRow keypad_home = keypad_key(home);
inline constexpr KeyRow keypad_up = keypad_key(up);
inline constexpr KeyRow keypad_page_up = {{0, 73}, {0, 73}, {0, 132}, no_key};
inline constexpr KeyRow keypad_left = keypad_key(left);
inline constexpr KeyRow keypad_right = keypad_key(right);
inline constexpr KeyRow keypad_end = keypad_key(end);
inline constexpr KeyRow keypad_down = keypad_key(down);
inline constexpr KeyRow keypad_page_down = keypad_key(page_down);
inline constexpr KeyRow keypad_insert = keypad_key(insert);
inline constexpr KeyRow keypad_delete = keypad_key(del);

}  // namespace extended_keys

}  // namespace platform
