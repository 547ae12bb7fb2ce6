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
    EXPECT_EQ(text::without_cut_character("ab\xe2\x82\xac"), "ab\xe2\x82\xac");
    EXPECT_EQ(text::without_cut_character("\xf0\x9f\x98\x80"), "\xf0\x9f\x98\x80");
    EXPECT_EQ(text::without_cut_character("ab\xff"), "ab\xff");  // a stray byte, not a cut character
    EXPECT_EQ(text::without_cut_character("ab\x80\x80\x80"), "ab\x80\x80\x80");
}

TEST(EntryText, ControlBytesAreFoundAndShownAsHex) {
    EXPECT_EQ(text::first_control_byte("x@y\raccount-valid-time = 999"), '\r');
    EXPECT_EQ(text::first_control_byte("a\0b"sv), '\0');
    EXPECT_EQ(text::first_control_byte("del\x7f"), 0x7F);
    EXPECT_EQ(text::first_control_byte("tab\there"), '\t');
    EXPECT_EQ(text::first_control_byte("mu\xc3\xb1oz \xf1\x80\xff ~"), std::nullopt);

    EXPECT_EQ(text::printable("a\x1b[2J\tb"), "a\\x1B[2J\\x09b");
    EXPECT_EQ(text::printable("\xe9t\x7f"), "\xe9t\\x7F");
}

}  // namespace
