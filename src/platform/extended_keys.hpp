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

}  // namespace extended_keys

}  // namespace platform
