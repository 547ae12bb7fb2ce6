#include "text/entry_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_view_literals;

TEST(EntryText, CharactersAreUtf8CharactersWithInvalidBytesOneEach) {
    EXPECT_EQ(text::character_count("abcdefghi\xc3\xb1", true), 10U);  // "abcdefghiñ", 11 bytes
    EXPECT_EQ(text::character_count("abcdefghi\xc3\xb1", false), 11U);
    EXPECT_EQ(text::character_count("\xe2\x82\xac\xf0\x9f\x98\x80", true), 2U);  // "€" and an emoji
    EXPECT_EQ(text::character_count("\xff\xfe\xc3", true), 3U);          // no character's start; cut short
    EXPECT_EQ(text::character_count("\xc0\xaf\xed\xa0\x80", true), 5U);  // overlong, surrogate
    EXPECT_EQ(text::character_count("", true), 0U);
}

TEST(EntryText, CutsKeepWholeCharacters) {
    // Limits count bytes, as the server's fields hold them.
    EXPECT_EQ(text::first_bytes("abcdefghij\xc3\xb1", 10, true), "abcdefghij");
    EXPECT_EQ(text::first_bytes("abcdefghi\xc3\xb1xyz", 10, true), "abcdefghi");
    EXPECT_EQ(text::first_bytes("abcdefghi\xc3\xb1xyz", 10, false), "abcdefghi\xc3");
    EXPECT_EQ(text::first_bytes("\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac", 8, true), "\xe2\x82\xac\xe2\x82\xac");
    EXPECT_EQ(text::first_bytes("ab", 10, true), "ab");

    // What a cut at a byte bound may leave at the end of a line.
    EXPECT_EQ(text::without_cut_character("ab\xc3"), "ab");
    EXPECT_EQ(text::without_cut_character("ab\xe2\x82"), "ab");
    EXPECT_EQ(text::without_cut_character("\xf0\x9f\x98"), "");
    // Whole characters, and stray bytes that are no cut character, stay.
    for (const std::string_view whole : {"ab\xe2\x82\xac", "\xf0\x9f\x98\x80", "ab\xff", "ab\x80\x80\x80"})
        EXPECT_EQ(text::without_cut_character(whole), whole);
}

TEST(EntryText, ControlBytesAreFoundAndShownAsHex) {
    EXPECT_EQ(text::first_control_byte("x@y\raccount-valid-time = 999"), '\r');
    EXPECT_EQ(text::first_control_byte("a\0b"sv), '\0');
    EXPECT_EQ(text::first_control_byte("del\x7f"), 0x7F);
    EXPECT_EQ(text::first_control_byte("tab\there"), '\t');
    EXPECT_EQ(text::first_control_byte("mu\xc3\xb1oz \xf1\x80\xff ~"), std::nullopt);

    // C1 controls (an 8-bit OSC that sets the window title, ST, CSI) are
    // escaped as the terminal reads them: bytes, or UTF-8 characters.
    using enum text::C1Controls;
    EXPECT_EQ(text::printable("a\x1b[2J\tb\x9d\x80", none), "a\\x1B[2J\\x09b\x9d\x80");
    EXPECT_EQ(text::printable("\xe9t\x7f\x9d\x30;T\x9c\x80\xa0\xff\x9f", bytes),
              "\xe9t\\x7F\\x9D0;T\\x9C\\x80\xa0\xff\\x9F");
    EXPECT_EQ(text::printable("\xc2\x9d\x30;T\xc2\x9f\xc2\x80\xc2\xa0\xc3\xb1\xe2\x82\xac\x9b", utf8),
              "\\xC2\\x9D0;T\\xC2\\x9F\\xC2\\x80\xc2\xa0\xc3\xb1\xe2\x82\xac\x9b");
}

}  // namespace
