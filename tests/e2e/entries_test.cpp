// What the operator types or pastes can never corrupt a record or carry an
// earlier account's entries into another: a control byte refuses the record,
// end of input typed at a prompt writes nothing, and answers typed ahead keep
// their order. (Lines from a file: standard_input_test.cpp.)
#include "record_check.hpp"
#include "scenario.hpp"

namespace e2e {
namespace {

using Entries = Scenario;

// An entry that holds a control character (C1 too: U+009D is the byte 9D in
// 1252, and starts a terminal's OSC), or a character that the ANSI code page
// (1252) lacks, refuses the record.
class RefusedEntry : public Scenario,
                     public ::testing::WithParamInterface<std::pair<std::string, std::string>> {};

TEST_P(RefusedEntry, RefusesTheRecordAndSaysWhy) {
    make_folder("Character/AscII103");
    start();
    press("4");
    answer(texts::gm_account_prompt, GetParam().first);
    answer(texts::gm_name_prompt, "gmname");
    expect_outcome("No se pudo guardar el registro: la cuenta del GM " + GetParam().second +
                   ". Vuelva a crear el registro sin ese caracter. No se ha cambiado nada.");
    EXPECT_TRUE(entries_of(data() / "Character" / "AscII103").empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Entries, RefusedEntry,
    ::testing::Values(std::pair{"gm\tacct", "contiene el caracter \"\\x09\", que es de control"},
                      std::pair{"gm\u009dacct", "contiene el caracter \"\\x9D\", que es de control"},
                      std::pair{"gmΩ", "contiene el caracter U+03A9, que no existe en la pagina de codigos 1252"}),
    [](const auto& info) { return info.index == 0 ? "control_byte" : info.index == 1 ? "c1_control" : "not_in_the_code_page"; });
// clang-format on

TEST_F(Entries, EndOfInputTypedAtAPromptEndsOnlyThatDialogue) {
    E2E_REQUIRE(!program().end_of_input_key.empty(), "end of input cannot be typed at this terminal");
    for (const char* folder : {"Account/AscII97", "Account/AscII98"}) make_folder(folder);
    start();

    press("2");
    answer(texts::account_name_prompt, "bob");
    wait_for_prompt(texts::password_prompt);
    term().send(program().end_of_input_key);
    expect_outcome(texts::input_ended.front());
    EXPECT_TRUE(entries_of(data() / "Account" / "AscII98").empty());

    const Minute before = local_minute_now();
    press("2");
    for (const auto& [prompt, line] : {std::pair{texts::account_name_prompt, "acct"},
                                       {texts::password_prompt, "pw"},
                                       {texts::email_prompt, "mail"},
                                       {texts::question_prompt, "quiz"},
                                       {texts::answer_prompt, "answer"}}) {
        answer(prompt, line);
    }
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
