// Option "2", the account dialogue and its file, end to end.
#include <algorithm>

#include "record_check.hpp"
#include "scenario.hpp"

namespace e2e {
namespace {

class AccountTest : public Scenario {
protected:
    // The three entries without a limit, then the pause after the outcome.
    // Gives the clock read just before the record was written.
    Minute finish_dialogue(std::string_view email = "mail", std::string_view question = "quiz",
                           std::string_view answer_text = "answer") {
        answer(texts::email_prompt, email);
        answer(texts::question_prompt, question);
        wait_for_prompt(texts::answer_prompt);
        const Minute before = local_minute_now();
        type_line(answer_text);
        wait_for_pause();
        return before;
    }

    // The whole dialogue, the name and the password first.
    Minute enter_account(std::string_view name, std::string_view password) {
        answer(texts::account_name_prompt, name);
        answer(texts::password_prompt, password);
        return finish_dialogue();
    }

    // Waits for the screen of a dialogue that stored its record.
    void expect_success_screen(std::string_view name, std::string_view password) {
        term().wait_for_screen_lines(
            {prompt_line(texts::account_name_prompt, name), prompt_line(texts::password_prompt, password),
             prompt_line(texts::email_prompt, "mail"), prompt_line(texts::question_prompt, "quiz"),
             prompt_line(texts::answer_prompt, "answer"), "", std::string(texts::account_created),
             pause_line()});
    }
};

// Written a second time, the account's record is replaced by the golden file.
TEST_F(AccountTest, TypedAsAnOperatorWritesTheGoldenFile) {
    start();
    press("1");  // the account tree, as an operator makes it first
    expect_outcome(texts::creating_folder(249));
    press("2");
    answer(texts::account_name_prompt, "acct");
    answer(texts::password_prompt, "first");
    finish_dialogue("old@mail", "old question", "old answer");
    press(keys::enter);
    expect_menu_only();

    press("2");
    term().wait_for_screen_lines({std::string(texts::account_name_prompt)});
    const Minute before = enter_account("acct", "pw");
    const Minute after = local_minute_now();

    expect_success_screen("acct", "pw");

    EXPECT_TRUE(
        record_matches(data() / "Account" / "AscII97" / "acct.txt", RecordKind::account, {}, before, after));
    auto tree = account_tree_listing();
    tree.emplace_back("Account/AscII97/acct.txt");
    std::sort(tree.begin(), tree.end());
    EXPECT_EQ(tree_listing(data()), tree) << "one record, no temporary file, nothing else";

    back_to_menu();
}

// The limits count bytes, as the server's fields hold them: ten and eight
// pass without a message, one more draws it, and going on cuts the entry to
// its limit, never inside a character. "ñ" is one byte in the Windows code
// page, two in the UTF-8 that the terminal sends.
TEST_F(AccountTest, EntriesOfExactlyTheLimitPassWithoutAMessage) {
    make_folder("Account/AscII97");
    start();
    press("2");
    const std::string name = "abcdefghi" + std::string(keys::n_tilde);  // 10 and 8 bytes as held
    const std::string password = "1234567" + std::string(keys::n_tilde);
    const Minute before = enter_account(name, password);
    const Minute after = local_minute_now();

    expect_success_screen(name, password);
    EXPECT_TRUE(record_matches(data() / "Account" / "AscII97" / (name + ".txt"), RecordKind::account,
                               {{"account-name = acct", "account-name = abcdefghi\xf1"},
                                {"account-password = pw", "account-password = 1234567\xf1"}},
                               before, after));
}

TEST_F(AccountTest, OneByteMoreDrawsTheMessageAndTheEntryGoingOnIsCutToTheLimit) {
    make_folder("Account/AscII65");
    start();
    press("2");
    const std::string name = "ABCDEFGHI" + std::string(keys::n_tilde) + "K";  // 11 bytes as held
    answer(texts::account_name_prompt, name);
    std::vector<std::string> screen =
        over_long_screen(texts::account_name_prompt, name, texts::account_name_too_long);
    term().wait_for_screen_lines(screen);
    press("x");  // any other key: the dialogue goes on below

    answer(texts::password_prompt, "123456789");  // 9
    const auto password = over_long_screen(texts::password_prompt, "123456789", texts::password_too_long);
    screen.insert(screen.end(), password.begin(), password.end());
    term().wait_for_screen_lines(screen);
    press("x");

    const Minute before = finish_dialogue();
    const Minute after = local_minute_now();
    // The record never carries more than the server's field, 10 and 8 bytes,
    // nor half a character. The outcome names the record, and says how much
    // of the password was kept.
    const std::string kept = "ABCDEFGHI" + std::string(keys::n_tilde);
    screen.insert(screen.end(),
                  {prompt_line(texts::email_prompt, "mail"), prompt_line(texts::question_prompt, "quiz"),
                   prompt_line(texts::answer_prompt, "answer"), "", std::string(texts::account_created),
                   "El nombre de la cuenta se ha cortado: el registro guardado es",
                   native_path("Account/AscII65/" + kept + ".txt") + ".",
                   "El password se ha cortado: se han guardado sus primeros 8 caracteres.", pause_line()});
    term().wait_for_screen_lines(screen);
    EXPECT_TRUE(record_matches(data() / "Account" / "AscII65" / (kept + ".txt"), RecordKind::account,
                               {{"account-name = acct", "account-name = ABCDEFGHI\xf1"},
                                {"account-password = pw", "account-password = 12345678"}},
                               before, after));
    EXPECT_EQ(tree_listing(data()),
              (std::vector<std::string>{"Account/", "Account/AscII65/", "Account/AscII65/" + kept + ".txt"}));
}

// A name that is not safe as a file name on the Windows server is refused
// before anything is written.
class UnsafeAccountName : public AccountTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(UnsafeAccountName, IsRefusedWithAMessageNamingItAndNothingIsWritten) {
    const std::string name = GetParam();
    const int bucket = name.empty() ? 0 : static_cast<signed char>(name.front());
    // The bucket folder is there: only the name can be the reason.
    make_folder("Account/AscII" + std::to_string(bucket));
    const auto tree_before = tree_listing(data());

    start();
    press("2");
    enter_account(name, "pw");

    // The message, on the lines that it takes, after the last answer and an empty line.
    const auto lines = term().screen_lines();
    const auto answered = std::find(lines.begin(), lines.end(), prompt_line(texts::answer_prompt, "answer"));
    ASSERT_GE(lines.end() - answered, 4);
    EXPECT_EQ(answered[1], "");
    EXPECT_NE(answered[2].find("\"" + name + "\""), std::string::npos)
        << "the message must name the entry: " << answered[2];
    EXPECT_EQ(term().screen_text().find(texts::account_created), std::string::npos) << "no success message";
    EXPECT_EQ(tree_listing(data()), tree_before) << "nothing may be written";

    back_to_menu();
}

INSTANTIATE_TEST_SUITE_P(Names, UnsafeAccountName,
                         ::testing::Values("CON", "con", "LPT1", "Nul.txt", "COM¹", "LPT².x", "a/b",
                                           "../acct", "a\\b", "x:y", ""),
                         [](const auto& info) { return "name_" + std::to_string(info.index); });

}  // namespace
}  // namespace e2e
