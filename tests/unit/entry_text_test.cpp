#include "text/entry_text.hpp"

#include "platform/posix/code_page.hpp"

#include <gtest/gtest.h>

#include <bitset>
#include <string>

namespace {

using namespace std::string_view_literals;

const text::CodePage utf8{true, {}};
const text::CodePage single_byte{};
// Code page 932's lead bytes are 81-9F and E0-FC: "\x93\xfa" is "日", "\x95\x5c" "表".
const text::CodePage double_byte{false, std::bitset<256>().set(0x93).set(0x95)};

TEST(EntryText, CharactersAreCodePageCharactersWithInvalidBytesOneEach) {
    EXPECT_EQ(text::character_count("abcdefghi\xc3\xb1", utf8), 10U);  // "abcdefghiñ", 11 bytes
    EXPECT_EQ(text::character_count("abcdefghi\xc3\xb1", single_byte), 11U);
    EXPECT_EQ(text::character_count("\xe2\x82\xac\xf0\x9f\x98\x80", utf8), 2U);  // "€" and an emoji
    EXPECT_EQ(text::character_count("\xff\xfe\xc3", utf8), 3U);          // no character's start; cut short
    EXPECT_EQ(text::character_count("\xc0\xaf\xed\xa0\x80", utf8), 5U);  // overlong, surrogate
    EXPECT_EQ(text::character_count("", utf8), 0U);
    EXPECT_EQ(text::character_count("a\x95\x5c\x93\xfa\x93", double_byte), 4U);
}

TEST(EntryText, CutsKeepWholeCharacters) {
    // Limits count bytes, as the server's fields hold them; a double-byte code
    // page's trail bytes may look like lead bytes.
    // clang-format off
    for (const auto& [bytes, bound, code_page, kept] : {
             std::tuple{"abcdefghij\xc3\xb1", 10, &utf8, "abcdefghij"}, {"abcdefghi\xc3\xb1xyz", 10, &utf8, "abcdefghi"},
             {"abcdefghi\xc3\xb1xyz", 10, &single_byte, "abcdefghi\xc3"}, {"ab", 10, &utf8, "ab"},
             {"\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac", 8, &utf8, "\xe2\x82\xac\xe2\x82\xac"},
             {"abcdefghi\x93\xfa", 10, &double_byte, "abcdefghi"}, {"a\x95\x95\x95\x95", 4, &double_byte, "a\x95\x95"}})
        EXPECT_EQ(text::first_bytes(bytes, bound, *code_page), kept) << testing::PrintToString(bytes);

    // What a cut at a byte bound may leave at the end of a line; whole
    // characters, and stray bytes that are no cut character, stay.
    for (const auto& [bytes, kept] : {
             std::pair{"ab\xc3", "ab"}, {"ab\xe2\x82", "ab"}, {"\xf0\x9f\x98", ""}, {"ab\xe2\x82\xac", "ab\xe2\x82\xac"},
             {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"}, {"ab\xff", "ab\xff"}, {"ab\x80\x80\x80", "ab\x80\x80\x80"}})
        EXPECT_EQ(text::without_cut_character(bytes, utf8), kept) << testing::PrintToString(bytes);
    // clang-format on
}

// The ANSI code page of Windows programs under Wine for the same locale.
TEST(EntryText, TheCodePageOfEntriesFollowsTheLocaleAsWinesDoes) {
    // clang-format off
    for (const auto& [locale, code_page] : {
             std::pair{"C", 1252}, {"POSIX", 1252}, {"C.UTF-8", 1252}, {"es_ES.UTF-8", 1252}, {"ja_JP.UTF-8", 932},
             {"zh_CN.GB18030", 936}, {"zh_TW.UTF-8", 950}, {"ko_KR.EUC-KR", 949}, {"th_TH", 874}, {"pl_PL.UTF-8", 1250},
             {"ru_RU.KOI8-R", 1251}, {"sr_RS@latin", 1250}, {"el_GR", 1253}, {"tr_TR.UTF-8", 1254}, {"he_IL", 1255},
             {"ar_EG.UTF-8", 1256}, {"lt_LT", 1257}, {"vi_VN", 1258}}) {
        // clang-format on
        EXPECT_EQ(platform::ansi_code_page_of_locale(locale), code_page) << locale;
    }
}

// Typed text takes the code page's own forms only: "¥" is "\" in 932 one way.
// The bound counts the code page's bytes, and what it drops says nothing of
// the entry. (Every code page, both ways: NameInTheCodePage.)
TEST(EntryText, TypedTextTakesTheCodePagesOwnFormsOnly) {
    const platform::TextConversions japanese("UTF-8", 932);
    EXPECT_EQ(japanese.ansi_from_terminal("表¥", false).text, "\x95\x5c?");
    const auto bounded = platform::TextConversions("UTF-8", 1252).ansi_from_terminal("ñandúΩ", false, 5);
    EXPECT_TRUE(bounded.text == "\xf1\x61nd\xfa" && bounded.cut && !bounded.unrepresentable) << bounded.text;
    // What the terminal reads as C1 controls follows its encoding.
    EXPECT_EQ(platform::TextConversions("ISO-8859-1", 1252).terminal_c1_controls(), text::C1Controls::bytes);
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
