// Option "3", the character code calculator, end to end: the whole entry
// echoed, the signed code of its first byte.
#include "scenario.hpp"

namespace e2e {
namespace {

struct Entry {
    std::string name;
    std::string typed;  // bytes typed in the UTF-8 pane
    int code;
};

class CharCode : public Scenario, public ::testing::WithParamInterface<Entry> {};

TEST_P(CharCode, ShowsTheEntryAndTheSignedCodeOfItsFirstByte) {
    const Entry& entry = GetParam();
    const int code = entry.code;
    start();
    press("3");
    term().wait_for_screen_lines({std::string(texts::char_code_prompt)});
    answer(texts::char_code_prompt, entry.typed);
    const std::string result = "El valor AscII del caracter " + entry.typed + ", es " + std::to_string(code);
    term().wait_for_screen_lines(
        {prompt_line(texts::char_code_prompt, entry.typed), "", result, pause_line()});
    if (program().log_is_program_output) {
        // The bytes as the program wrote them, the entry exactly as read.
        term().wait_for_log("\r\n" + result + "\r\n" + program().pause_prompt);
    }
    back_to_menu();
}

INSTANTIATE_TEST_SUITE_P(Entries, CharCode,
                         ::testing::Values(Entry{"upper_A", "A", 65}, Entry{"lower_a", "a", 97},
                                           Entry{"digit_0", "0", 48}, Entry{"empty_line", "", 0},
                                           Entry{"three_characters", "abc", 97},
                                           Entry{"n_tilde_utf8", std::string(keys::n_tilde), -15}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace e2e
