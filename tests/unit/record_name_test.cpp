#include "records/record_name.hpp"

#include <gtest/gtest.h>

#include <string>

#include "platform/posix/code_page.hpp"

namespace {

using namespace std::string_view_literals;

// Names in code page 1252 unless another is given.
std::optional<std::string> unsafe_name_reason(std::string_view name, int code_page = 1252) {
    return records::unsafe_name_reason(name, platform::TextConversions("UTF-8", code_page).code_page());
}

TEST(RecordName, OrdinaryNamesAreSafe) {
    for (const std::string_view name :
         {"acct", "GmName", "a", "Zed_01", "x.y", "..", ".", " lead", "trail ", "CONSOLE", "COM10", "LPT",
          "nulo", "\xe9t\xe9", "\xf1\x61nd\xfa", "\x80\xff"}) {
        EXPECT_EQ(unsafe_name_reason(name), std::nullopt) << testing::PrintToString(name);
    }
    // The byte of "¹" in 1252 is "ｹ" in 932 and "І" in 1251; 93 90 is "盗" in 932.
    for (const auto& [code_page, name] : {std::pair{932, "COM\xb9"}, {1251, "lpt\xb2"}, {932, "\x93\x90"}})
        EXPECT_EQ(unsafe_name_reason(name, code_page), std::nullopt) << testing::PrintToString(name);
}

TEST(RecordName, SeparatorsAndOtherWindowsForbiddenCharactersAreRefused) {
    for (const char c : std::string_view("<>:\"/\\|?*")) {
        const std::string name = std::string("ab") + c + "cd";
        const auto reason = unsafe_name_reason(name);
        ASSERT_TRUE(reason) << name;
        EXPECT_NE(reason->find(std::string("caracter \"") + c + '"'), std::string::npos) << *reason;
    }
    // In a double-byte code page a second byte is no character of its own:
    // "表" is 95 5C and "ポチ" 83 7C 83 60 in code page 932.
    EXPECT_EQ(unsafe_name_reason("\x95\x5c\x83\x7c\x83\x60", 932), std::nullopt);
    EXPECT_TRUE(unsafe_name_reason("\x95\x5c|", 932));
    for (const std::string_view name : {"../acct", "..\\..\\x"}) EXPECT_TRUE(unsafe_name_reason(name));
}

TEST(RecordName, EmptyNamesAndControlCharactersAreRefused) {
    EXPECT_EQ(unsafe_name_reason(""), "esta vacio");
    // In one shape with the other refusals of a character, which it shows.
    // clang-format off
    for (const auto& [name, shown] : {std::pair{"a\tb"sv, "09"}, {"\x1b[2J"sv, "1B"}, {"a\x7f"sv, "7F"}, {"a\rb"sv, "0D"},
                                      {"x\0y"sv, "00"}, {"C1\x90"sv, "90"}})
        EXPECT_EQ(unsafe_name_reason(name), R"(contiene el caracter "\x)" + std::string(shown) + "\", que es de control") << testing::PrintToString(name);
    // clang-format on
}

TEST(RecordName, WindowsDeviceNamesAreRefusedInAnyCaseAndWithAnyExtension) {
    for (const std::string_view name :
         {"CON",     "con",    "Prn",   "aux",     "NUL",     "COM1",    "com9",
          "LPT1",    "lPt9",   "COM0",  "lpt0",    "CONIN$",  "conout$", "nul.tar",
          "CON.foo", "CON .x", "aux  ", "COM\xb9", "LPT\xb2", "com\xb3"}) {
        EXPECT_EQ(unsafe_name_reason(name), "Windows lo reserva para un dispositivo")
            << testing::PrintToString(name);
    }
}

}  // namespace
