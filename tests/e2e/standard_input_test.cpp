// Lines from a file on standard input while keys come from the terminal,
// end to end. A dialogue takes its lines from the file; once the file is used
// up, the same dialogue runs through at once but writes nothing, and the
// calculator shows the empty entry and 0.
#include "record_check.hpp"
#include "scenario.hpp"

namespace e2e {
namespace {

struct InputFile {
    std::string name;
    std::string bytes;
};

void PrintTo(const InputFile& file, std::ostream* out) {
    *out << file.name;
}

class LinesFromAFile : public Scenario, public ::testing::WithParamInterface<InputFile> {
protected:
    void SetUp() override {
        E2E_REQUIRE(program().keys_arrive_with_stdin_redirected,
                    "keys stop arriving from the terminal when standard input is a file");
        options.standard_input = GetParam().bytes;
    }

    // The account dialogue with no echo of its lines: the five prompts on one
    // line, then the outcome and the pause.
    std::vector<std::string> dialogue_screen(std::string_view outcome) const {
        return {std::string(texts::account_name_prompt) + std::string(texts::password_prompt) +
                    std::string(texts::email_prompt) + std::string(texts::question_prompt) +
                    std::string(texts::answer_prompt),
                std::string(outcome), pause_line()};
    }
};

TEST_P(LinesFromAFile, FeedTheDialogueThenItRunsThroughWritingNothing) {
    make_folder("Account/AscII97");
    start();
    const fs::path record = data() / "Account" / "AscII97" / "acct.txt";

    const Minute before = local_minute_now();
    press("2");
    term().wait_for_screen_lines(dialogue_screen(texts::account_created));
    const Minute after = local_minute_now();
    EXPECT_TRUE(record_matches(record, RecordKind::account, {}, before, after));
    press(keys::enter);
    expect_menu_only();

    // The file is used up: nothing waits for a line, and no record is made
    // from the previous entries.
    std::filesystem::remove(record);
    press("2");
    term().wait_for_screen_lines(dialogue_screen(texts::input_ended));
    EXPECT_FALSE(fs::exists(record));
    press(keys::enter);
    expect_menu_only();

    press("3");
    term().wait_for_screen_lines(
        {std::string(texts::char_code_prompt), "El valor AscII del caracter , es 0", pause_line()});
    press(keys::enter);
    expect_menu_only();
}

INSTANTIATE_TEST_SUITE_P(Files, LinesFromAFile,
                         ::testing::Values(InputFile{"line_feeds_and_one_carriage_return",
                                                     "acct\npw\nmail\r\nquiz\nanswer\n"},
                                           InputFile{"carriage_returns_and_no_last_line_feed",
                                                     "acct\r\npw\r\nmail\r\nquiz\r\nanswer"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace e2e
