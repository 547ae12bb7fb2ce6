#include "text/entry_text.hpp"

#include "platform/posix/code_page.hpp"
#include "platform/posix/screen.hpp"

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
    // "abcdefghiñ" (11 bytes) in UTF-8, and byte by byte; "€" and an emoji;
    // bytes that start no character, and one cut short; an overlong form and
    // a surrogate; nothing; double-byte characters and a lead byte alone.
    // clang-format off
    for (const auto& [bytes, code_page, count] : {std::tuple{"abcdefghi\xc3\xb1", &utf8, 10U}, {"abcdefghi\xc3\xb1", &single_byte, 11U},
             {"\xe2\x82\xac\xf0\x9f\x98\x80", &utf8, 2U}, {"\xff\xfe\xc3", &utf8, 3U}, {"\xc0\xaf\xed\xa0\x80", &utf8, 5U},
             {"", &utf8, 0U}, {"a\x95\x5c\x93\xfa\x93", &double_byte, 4U}})
        EXPECT_EQ(text::character_count(bytes, *code_page), count) << testing::PrintToString(bytes);
    // clang-format on
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

// The ANSI code page of Windows programs under Wine for the same locale; and
// the pause prompt in the language of the messages' locale, as the Windows
// interpreter's (LC_ALL, LC_MESSAGES, LANG: the first set).
TEST(EntryText, TheCodePageAndThePausePromptFollowTheLocale) {
    // clang-format off
    for (const auto& [locale, code_page] : {
             std::pair{"C", 1252}, {"POSIX", 1252}, {"C.UTF-8", 1252}, {"es_ES.UTF-8", 1252}, {"ja_JP.UTF-8", 932},
             {"zh_CN.GB18030", 936}, {"zh_TW.UTF-8", 950}, {"ko_KR.EUC-KR", 949}, {"th_TH", 874}, {"pl_PL.UTF-8", 1250},
             {"ru_RU.KOI8-R", 1251}, {"sr_RS@latin", 1250}, {"el_GR", 1253}, {"tr_TR.UTF-8", 1254}, {"he_IL", 1255},
             {"ar_EG.UTF-8", 1256}, {"lt_LT", 1257}, {"vi_VN", 1258}}) {
        // clang-format on
        EXPECT_EQ(platform::ansi_code_page_of_locale(locale), code_page) << locale;
    }
    // clang-format off
    for (const auto& [all, messages, lang, spanish] : {std::tuple{"", "es_ES.UTF-8", "en_US", true}, {"", "", "es_AR", true}, {"", "en_US.UTF-8", "es_ES", false}, {"C.UTF-8", "es_ES", "es", false}}) {
        ::setenv("LC_ALL", all, 1), ::setenv("LC_MESSAGES", messages, 1), ::setenv("LANG", lang, 1);
        EXPECT_EQ(platform::pause_prompt(), spanish ? "Presione una tecla para continuar . . . " : "Press any key to continue . . . ") << all << messages << lang;
    }
    // clang-format on
}

// Typed text takes the code page's own forms only: "¥" is "\" in 932 one way.
// The bound counts the code page's bytes, and what it drops says nothing of
// the entry. (Every code page, both ways: NameInTheCodePage.)
TEST(EntryText, TypedTextTakesTheCodePagesOwnFormsOnly) {
    const platform::TextConversions japanese("UTF-8", 932);
    EXPECT_EQ(japanese.ansi_from_terminal("表¥", false).text, "\x95\x5c?");
    const auto bounded = platform::TextConversions("UTF-8", 1252).ansi_from_terminal("ñandúΩ", false, 5);
    EXPECT_TRUE(bounded.text == "\xf1\x61nd\xfa" && bounded.cut && !bounded.unrepresentable) << bounded.text;
}

// Control characters, C1 (an 8-bit OSC that sets the window title, ST, CSI)
// among them, as the code page or the terminal's encoding has them: never a
// byte of a longer character (EUC-JP, GB18030, Big5).
TEST(EntryText, ControlCharactersAreFoundAndShownAsHex) {
    const text::CodePage western = platform::TextConversions("UTF-8", 1252).code_page();
    const platform::TextConversions japanese("EUC-JP", 932);
    // clang-format off
    for (const auto& [bytes, code_page, control] : {
             std::tuple{"x@y\raccount-valid-time = 999"sv, &western, std::optional("\r"sv)}, {"a\0b"sv, &western, "\0"sv},
             {"del\x7f", &western, "\x7f"}, {"tab\there", &western, "\t"}, {"\x93\x90\x80", &japanese.code_page(), "\x80"},
             {"mu\xc3\xb1oz \xf1\x80\xff ~\x9f", &western, std::nullopt}})
        EXPECT_EQ(text::first_control_character(bytes, *code_page), control) << testing::PrintToString(bytes);

    for (const auto& [bytes, code_page, shown] : {
             std::tuple{"a\x1b[2J\tb\x9d\x80\x9f", &western, "a\\x1B[2J\\x09b\\x9D\x80\x9f"},
             {"\xc2\x9d\x30;T\xc2\xa0\xc3\xb1\x9b", &utf8, "\\xC2\\x9D0;T\xc2\xa0\xc3\xb1\x9b"},
             {"\x93\xfa\x96\x7b\x8c\xea\x80", &japanese.code_page(), "\x93\xfa\x96\x7b\x8c\xea\\x80"}})  // "日本語" and C1
        EXPECT_EQ(text::printable(bytes, *code_page), shown) << testing::PrintToString(bytes);
    EXPECT_EQ(japanese.terminal_from_ansi("\x93\xfa\x96\x7b\x8c\xea\\x80"), "\xc6\xfc\xcb\xdc\xb8\xec\\x80");

    for (const auto& [encoding, typed, shown] : {
             std::tuple{"EUC-JP", "\xc6\xfc\x8e\xb1\x8f\xb0\xa1", "\xc6\xfc\x8e\xb1\x8f\xb0\xa1"},
             {"GB18030", "\x81\x30\x81\x30\x95\x5c\x81\x30\x8a\x39", "\\x81\\x30\\x81\\x30\x95\x5c\x81\x30\x8a\x39"},
             {"BIG5", "\xb3\x5c\x1b", "\xb3\x5c\\x1B"}, {"ISO-8859-1", "\xf1\x9d\x30;T\x9c", "\xf1\\x9D0;T\\x9C"},
             {"UTF-8", "\xc2\x9d\xc3\xb1\xff", "\\xC2\\x9D\xc3\xb1\\xFF"}})
        EXPECT_EQ(platform::TextConversions(encoding, 1252).printable_typed(typed), shown) << encoding;
    // clang-format on
}

}  // namespace
