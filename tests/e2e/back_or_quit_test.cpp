// The back-or-quit prompt, end to end, as both dialogues raise it after an over-long entry: "V" clears and
// goes on, "S" ends with status 1, any other key goes on below; letters in either case. And the Delete key
// there, whose second code "S" answers the next prompt, as terminals of other types send it.
#include <algorithm>
#include <cctype>

#include "record_check.hpp"
#include "scenario.hpp"

namespace e2e {
namespace {

// One dialogue, as far as these scenarios need it: the first entry (made
// over-long), its message, and the second entry.
struct Dialogue {
    std::string name;
    std::string menu_key;
    std::string_view first_prompt;
    std::string first_entry;  // 11 characters, one over the limit
    std::string_view first_message;
    std::string first_entry_notice;  // what the outcome says of it, cut
    std::string_view second_prompt;
    std::string second_entry;  // within its limit
    std::string second_entry_too_long;
    std::string_view second_message;
    std::string bucket_folder;  // where the record goes
    std::string record;         // the record file's path below the data folder
    RecordKind kind;
    LineChanges changes;  // the record, against the golden image
};

const Dialogue account_dialogue{
    .name = "account",
    .menu_key = "2",
    .first_prompt = texts::account_name_prompt,
    .first_entry = "acctacctacc",
    .first_message = texts::account_name_too_long,
    .first_entry_notice = "El nombre de la cuenta se ha cortado: el registro guardado es",
    .second_prompt = texts::password_prompt,
    .second_entry = "pw",
    .second_entry_too_long = "123456789",
    .second_message = texts::password_too_long,
    .bucket_folder = "Account/AscII97",
    .record = "Account/AscII97/acctacctac.txt",
    .kind = RecordKind::account,
    .changes = {{"account-name = acct", "account-name = acctacctac"}},
};

const Dialogue gm_dialogue{
    .name = "gm",
    .menu_key = "4",
    .first_prompt = texts::gm_account_prompt,
    .first_entry = "gmacctgmacc",
    .first_message = texts::gm_account_too_long,
    .first_entry_notice = "La cuenta del GM se ha cortado a \"gmacctgmac\".",
    .second_prompt = texts::gm_name_prompt,
    .second_entry = "GmName",
    .second_entry_too_long = "GmNameGmNam",
    .second_message = texts::gm_name_too_long,
    .bucket_folder = "Character/AscII71",
    .record = "Character/AscII71/GmName.txt",
    .kind = RecordKind::gm,
    .changes = {{"account-name       = gmacct", "account-name       = gmacctgmac"}},
};

struct Answer {
    const Dialogue* dialogue;
    std::string key;
    std::string terminal_type = {};  // TERM, where the program reads the terminal's description
};

void PrintTo(const Answer& answer, std::ostream* out) {
    *out << answer.dialogue->name << " dialogue, key " << answer.key;
}

class BackOrQuit : public Scenario, public ::testing::WithParamInterface<Answer> {
protected:
    const Dialogue& dialogue() const { return *GetParam().dialogue; }

    // The dialogue up to the back-or-quit prompt after its first entry.
    void reach_back_or_quit() {
        make_folder(dialogue().bucket_folder);
        start();
        press(dialogue().menu_key);
        answer(dialogue().first_prompt, dialogue().first_entry);
        term().wait_for_screen_lines(
            over_long_screen(dialogue().first_prompt, dialogue().first_entry, dialogue().first_message));
    }

    // The rest of the dialogue, up to the pause after the record is written.
    void go_on_to_the_record(std::vector<std::string> screen) {
        const Minute before = local_minute_now();
        answer(dialogue().second_prompt, dialogue().second_entry);
        screen.push_back(std::string(dialogue().second_prompt) + dialogue().second_entry);
        if (dialogue().kind == RecordKind::account) {
            answer(texts::email_prompt, "mail");
            answer(texts::question_prompt, "quiz");
            answer(texts::answer_prompt, "answer");
            screen.insert(
                screen.end(),
                {prompt_line(texts::email_prompt, "mail"), prompt_line(texts::question_prompt, "quiz"),
                 prompt_line(texts::answer_prompt, "answer"), "", std::string(texts::account_created),
                 dialogue().first_entry_notice, native_path(dialogue().record) + "."});
        } else {
            screen.insert(screen.end(),
                          {"", "", std::string(texts::gm_created), "", dialogue().first_entry_notice});
        }
        screen.push_back(pause_line());
        term().wait_for_screen_lines(screen);
        const Minute after = local_minute_now();
        // The over-long first entry went on, cut to its limit.
        EXPECT_TRUE(
            record_matches(data() / dialogue().record, dialogue().kind, dialogue().changes, before, after));
    }
};

std::string answer_name(const ::testing::TestParamInfo<Answer>& info) {
    const std::string& key = info.param.key;
    return info.param.dialogue->name + "_" +
           (std::isupper(static_cast<unsigned char>(key[0])) ? "upper_" : "lower_") + key;
}

class BackOrQuitBack : public BackOrQuit {};

TEST_P(BackOrQuitBack, ClearsTheScreenAndTheDialogueGoesOn) {
    reach_back_or_quit();
    press(GetParam().key);
    term().wait_for_screen_lines({std::string(dialogue().second_prompt)});
    go_on_to_the_record({});
}

INSTANTIATE_TEST_SUITE_P(BothDialogues, BackOrQuitBack,
                         ::testing::Values(Answer{&account_dialogue, "V"}, Answer{&account_dialogue, "v"},
                                           Answer{&gm_dialogue, "V"}, Answer{&gm_dialogue, "v"}),
                         answer_name);

class BackOrQuitQuit : public BackOrQuit {};

TEST_P(BackOrQuitQuit, EndsTheProgramWithStatusOneAndWritesNothing) {
    reach_back_or_quit();
    const auto tree_before = tree_listing(data());
    press(GetParam().key);
    expect_exit_status(1);
    term().wait_for_screen_lines(
        over_long_screen(dialogue().first_prompt, dialogue().first_entry, dialogue().first_message));
    EXPECT_EQ(tree_listing(data()), tree_before);
}

INSTANTIATE_TEST_SUITE_P(BothDialogues, BackOrQuitQuit,
                         ::testing::Values(Answer{&account_dialogue, "S"}, Answer{&account_dialogue, "s"},
                                           Answer{&gm_dialogue, "S"}, Answer{&gm_dialogue, "s"}),
                         answer_name);

class BackOrQuitOtherKey : public BackOrQuit {};

TEST_P(BackOrQuitOtherKey, GoesOnBelowWithoutClearing) {
    reach_back_or_quit();
    press(GetParam().key);
    go_on_to_the_record(
        over_long_screen(dialogue().first_prompt, dialogue().first_entry, dialogue().first_message));
}

INSTANTIATE_TEST_SUITE_P(BothDialogues, BackOrQuitOtherKey,
                         ::testing::Values(Answer{&account_dialogue, "x"}, Answer{&account_dialogue, "N"},
                                           Answer{&gm_dialogue, "x"}, Answer{&gm_dialogue, "N"}),
                         answer_name);

// Delete reaches the program as 224 then 83 ("S"). At a back-or-quit prompt
// 224 is just another key; the 83 waits in the push-back slot and answers the
// next back-or-quit prompt of the same dialogue, which quits at once. The
// key as st and rxvt-unicode send it in keypad-transmit mode, which the
// program switches on for the wait (st sends "ESC [ P" outside it).
class DeleteAtBackOrQuit : public BackOrQuit {};

TEST_P(DeleteAtBackOrQuit, LeavesAnSThatQuitsAtTheNextBackOrQuitPromptWithoutAKeyPress) {
    const bool reads_description =
        program().terminal_settings_are_the_programs && !program().keypad_on.empty();
    if (reads_description) under_test.environment.push_back("TERM=" + GetParam().terminal_type);
    // Neither description erases the scrollback, so a clear leaves it as it
    // was, as clear(1) does there: the screen alone shows the dialogue.
    if (reads_description) under_test.clear_empties_scrollback = false;
    reach_back_or_quit();
    const auto tree_before = tree_listing(data());
    if (reads_description) wait_for_keypad_mode(true);
    press(keys::del);
    answer(dialogue().second_prompt, dialogue().second_entry_too_long);
    expect_exit_status(1);
    auto screen = over_long_screen(dialogue().first_prompt, dialogue().first_entry, dialogue().first_message);
    const auto second = over_long_screen(dialogue().second_prompt, dialogue().second_entry_too_long,
                                         dialogue().second_message);
    screen.insert(screen.end(), second.begin(), second.end());
    term().wait_for_screen_lines(screen);
    EXPECT_EQ(tree_listing(data()), tree_before);
    if (reads_description) wait_for_keypad_mode(false);
}

INSTANTIATE_TEST_SUITE_P(BothDialogues, DeleteAtBackOrQuit,
                         ::testing::Values(Answer{&account_dialogue, "Delete", "st-256color"},
                                           Answer{&gm_dialogue, "Delete", "rxvt-unicode-256color"}),
                         [](const auto& info) { return info.param.dialogue->name; });

}  // namespace
}  // namespace e2e
