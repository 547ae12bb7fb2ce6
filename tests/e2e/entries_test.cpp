// What the operator types, pastes or feeds from a file can never corrupt a
// record, carry an earlier account's entries into another, or make the
// program hold a line without end: control bytes refuse the record, long
// lines are cut at a character's edge, limits count characters, end of input
// writes nothing, and answers typed ahead keep their order.
#include "record_check.hpp"
#include "scenario.hpp"

namespace e2e {
namespace {

std::string account_line(std::string_view field, std::string_view entry) {
    return "account-" + std::string(field) + " = " + std::string(entry);
}

class Entries : public Scenario {
protected:
    // Waits for the outcome after a dialogue, then goes back to the menu.
    void expect_outcome(std::string_view message, Where where = Where::current()) {
        wait_for_pause(where);
        term().wait_for_screen(message, 1, where);
        press(keys::enter, where);
        expect_menu_only(where);
    }

    // The account dialogue's last three entries, typed.
    void finish_account(std::string_view email = "mail") {
        answer(texts::email_prompt, email);
        answer(texts::question_prompt, "quiz");
        answer(texts::answer_prompt, "answer");
    }
};

TEST_F(Entries, FromAFileNoneIsWrittenCorruptedCutInsideACharacterOrAfterTheInputEnded) {
    E2E_REQUIRE(program().keys_arrive_with_stdin_redirected,
                "keys stop arriving from the terminal when standard input is a file");
    const std::string kept_email(1023, 'e');
    options.standard_input =
        // A carriage return in the e-mail would forge a line of the record.
        "acct\npw\nx@y\raccount-valid-time = 999\nquiz\nanswer\n"
        // The line bound (1,024 bytes) falls inside the "n" with a tilde.
        "longmail\npw\n" +
        kept_email + std::string(keys::n_tilde) + std::string(3000, 'f') +
        "\nquiz\nanswer\n"
        // The input ends after the name: nothing of the accounts before may go into bob's.
        "bob\n";
    for (const char* folder : {"Account/AscII97", "Account/AscII98", "Account/AscII108"}) make_folder(folder);
    start();

    press("2");
    expect_outcome(
        "El email contiene un caracter de control (\\x0D), que no se puede guardar. No se ha guardado nada.");

    const Minute before = local_minute_now();
    press("2");
    wait_for_pause();
    const Minute after = local_minute_now();
    term().wait_for_screen_lines({std::string(texts::account_name_prompt) +
                                      std::string(texts::password_prompt) + std::string(texts::email_prompt) +
                                      std::string(texts::question_prompt) + std::string(texts::answer_prompt),
                                  std::string(texts::account_created),
                                  "El email tenia mas de 1024 bytes: se ha guardado solo el principio.",
                                  pause_line()});
    EXPECT_TRUE(record_matches(data() / "Account" / "AscII108" / "longmail.txt", RecordKind::account,
                               {{account_line("name", "acct"), account_line("name", "longmail")},
                                {account_line("Email", "mail"), account_line("Email", kept_email)}},
                               before, after));
    press(keys::enter);
    expect_menu_only();

    press("2");
    expect_outcome(texts::input_ended);
    EXPECT_EQ(tree_listing(data()),
              (std::vector<std::string>{"Account/", "Account/AscII108/", "Account/AscII108/longmail.txt",
                                        "Account/AscII97/", "Account/AscII98/"}));
}

TEST_F(Entries, TypedLimitsCountCharactersAndAControlByteRefusesTheRecord) {
    for (const char* folder : {"Account/AscII97", "Character/AscII103"}) make_folder(folder);
    start();

    press("4");
    answer(texts::gm_account_prompt, "gm\tacct");
    answer(texts::gm_name_prompt, "gmname");
    expect_outcome(
        "El account del GM contiene un caracter de control (\\x09), que no se puede guardar. No se ha "
        "guardado nada.");

    // Ten characters, eleven bytes in UTF-8: no message, and the name as typed.
    const std::string ten = "abcdefghi" + std::string(keys::n_tilde);
    Minute before = local_minute_now();
    press("2");
    answer(texts::account_name_prompt, ten);
    answer(texts::password_prompt, "pw");
    finish_account();
    expect_outcome(texts::account_created);
    Minute after = local_minute_now();
    EXPECT_EQ(term().log_count(texts::account_name_too_long), 0);
    const std::string ten_as_held = "abcdefghi" + program().n_tilde_entry;
    EXPECT_TRUE(record_matches(data() / "Account" / "AscII97" / (ten + ".txt"), RecordKind::account,
                               {{account_line("name", "acct"), account_line("name", ten_as_held)}}, before,
                               after));

    // Eleven characters: the message, and going on keeps the first ten.
    before = local_minute_now();
    press("2");
    answer(texts::account_name_prompt, "abcdefghij" + std::string(keys::n_tilde));
    term().wait_for_screen(texts::account_name_too_long);
    press("x");
    answer(texts::password_prompt, "pw");
    finish_account();
    expect_outcome(texts::account_created);
    after = local_minute_now();
    EXPECT_TRUE(record_matches(data() / "Account" / "AscII97" / "abcdefghij.txt", RecordKind::account,
                               {{account_line("name", "acct"), account_line("name", "abcdefghij")}}, before,
                               after));
    EXPECT_TRUE(entries_of(data() / "Character" / "AscII103").empty());
}

TEST_F(Entries, EndOfInputTypedAtAPromptEndsOnlyThatDialogue) {
    E2E_REQUIRE(!program().end_of_input_key.empty(), "end of input cannot be typed at this terminal");
    for (const char* folder : {"Account/AscII97", "Account/AscII98"}) make_folder(folder);
    start();

    press("2");
    answer(texts::account_name_prompt, "bob");
    wait_for_prompt(texts::password_prompt);
    term().send(program().end_of_input_key);
    expect_outcome(texts::input_ended);
    EXPECT_TRUE(entries_of(data() / "Account" / "AscII98").empty());

    const Minute before = local_minute_now();
    press("2");
    answer(texts::account_name_prompt, "acct");
    answer(texts::password_prompt, "pw");
    finish_account();
    expect_outcome(texts::account_created);
    EXPECT_TRUE(record_matches(data() / "Account" / "AscII97" / "acct.txt", RecordKind::account, {}, before,
                               local_minute_now()));
}

// A whole dialogue pasted while the menu waits for a key, and the key that
// ends the pause after it: each is read in turn, as if typed one by one.
TEST_F(Entries, AnswersPastedAtTheMenuGiveTheSameRecordAsTypedOnes) {
    make_folder("Account/AscII97");
    start();
    const Minute before = local_minute_now();
    press("2acct\rpw\rmail\rquiz\ranswer\r ");
    term().wait_for_log(texts::account_created);
    expect_menu_only();
    EXPECT_TRUE(record_matches(data() / "Account" / "AscII97" / "acct.txt", RecordKind::account, {}, before,
                               local_minute_now()));
}

}  // namespace
}  // namespace e2e
