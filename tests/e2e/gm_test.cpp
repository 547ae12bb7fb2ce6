// Option "4", the GM character dialogue and its file, end to end. The program never makes the "Character"
// tree: each scenario makes the bucket folders it needs, as a server installation would.
#include <algorithm>

#include "record_check.hpp"
#include "scenario.hpp"

namespace e2e {
namespace {

class GmTest : public Scenario {
protected:
    // The two entries; gives the clock read before the record was written.
    Minute enter_gm(std::string_view account, std::string_view name) {
        answer(texts::gm_account_prompt, account);
        wait_for_prompt(texts::gm_name_prompt);
        const Minute before = local_minute_now();
        type_line(name);
        wait_for_pause();
        return before;
    }

    std::vector<std::string> success_screen(std::string_view account, std::string_view name) const {
        return {std::string(texts::gm_account_prompt) + std::string(account),
                std::string(texts::gm_name_prompt) + std::string(name),
                "",
                "",
                std::string(texts::gm_created),
                "",
                pause_line()};
    }
};

TEST_F(GmTest, TypedAsAnOperatorWritesTheGoldenFile) {
    make_folder("Character/AscII71");
    start();
    press("4");
    term().wait_for_screen_lines({std::string(texts::gm_account_prompt)});
    const Minute before = enter_gm("gmacct", "GmName");
    const Minute after = local_minute_now();
    term().wait_for_screen_lines(success_screen("gmacct", "GmName"));
    EXPECT_TRUE(
        record_matches(data() / "Character" / "AscII71" / "GmName.txt", RecordKind::gm, {}, before, after));
    EXPECT_EQ(tree_listing(data()),
              (std::vector<std::string>{"Character/", "Character/AscII71/", "Character/AscII71/GmName.txt"}))
        << "one record, no temporary file, no account file";
    press(keys::enter);
    expect_menu_only();
}

TEST_F(GmTest, TheBucketFollowsTheGmNameNotTheAccount) {
    make_folder("Character/AscII90");  // "Z"
    make_folder("Character/AscII97");  // "a", the account's: must stay empty
    start();
    press("4");
    const Minute before = enter_gm("acct", "Zed");
    const Minute after = local_minute_now();
    term().wait_for_screen_lines(success_screen("acct", "Zed"));
    EXPECT_TRUE(record_matches(data() / "Character" / "AscII90" / "Zed.txt", RecordKind::gm,
                               {{"character-name     = GmName", "character-name     = Zed"},
                                {"account-name       = gmacct", "account-name       = acct"}},
                               before, after));
    EXPECT_EQ(tree_listing(data()),
              (std::vector<std::string>{"Character/", "Character/AscII90/", "Character/AscII90/Zed.txt",
                                        "Character/AscII97/"}));
}

// Ten characters pass (as in the account dialogue, through the same limited
// entry); eleven draw each entry's message, and going on cuts them to ten.
TEST_F(GmTest, ElevenCharactersDrawTheMessageAndGoingOnCutsThemToTen) {
    make_folder("Character/AscII90");
    start();
    press("4");
    answer(texts::gm_account_prompt, "klmnopqrstu");  // 11
    std::vector<std::string> screen = {std::string(texts::gm_account_prompt) + "klmnopqrstu",
                                       "",
                                       std::string(texts::gm_account_too_long),
                                       "",
                                       "",
                                       std::string(texts::back_or_quit)};
    term().wait_for_screen_lines(screen);
    press("x");
    wait_for_prompt(texts::gm_name_prompt);
    const Minute before = local_minute_now();
    type_line("Zyxwvutsrqp");  // 11
    screen.insert(screen.end(),
                  {std::string(texts::gm_name_prompt) + "Zyxwvutsrqp", "",
                   std::string(texts::gm_name_too_long), "", "", std::string(texts::back_or_quit)});
    term().wait_for_screen_lines(screen);
    press("x");
    // The outcome says what became of each cut entry.
    screen.insert(screen.end(), {"", "", std::string(texts::gm_created), "",
                                 "El account del GM se ha cortado a \"klmnopqrst\".",
                                 "El nombre del GM se ha cortado: el registro guardado es " +
                                     native_path("Character/AscII90/Zyxwvutsrq.txt") + ".",
                                 pause_line()});
    term().wait_for_screen_lines(screen);
    const Minute after = local_minute_now();
    EXPECT_TRUE(record_matches(data() / "Character" / "AscII90" / "Zyxwvutsrq.txt", RecordKind::gm,
                               {{"character-name     = GmName", "character-name     = Zyxwvutsrq"},
                                {"account-name       = gmacct", "account-name       = klmnopqrst"}},
                               before, after));
}

TEST_F(GmTest, WritingTheSameGmAgainReplacesItsFile) {
    make_folder("Character/AscII71");
    start();
    press("4");
    enter_gm("first", "GmName");
    press(keys::enter);
    expect_menu_only();
    press("4");
    const Minute before = enter_gm("gmacct", "GmName");
    const Minute after = local_minute_now();
    EXPECT_TRUE(
        record_matches(data() / "Character" / "AscII71" / "GmName.txt", RecordKind::gm, {}, before, after));
    EXPECT_EQ(tree_listing(data()),
              (std::vector<std::string>{"Character/", "Character/AscII71/", "Character/AscII71/GmName.txt"}));
}

// A name beyond ASCII, typed at the terminal, is the name of the file on disk;
// the record holds the entry as the program has it (program.hpp).
TEST_F(GmTest, ANameWithAnNTildeNamesItsFile) {
    make_folder("Character/AscII120");  // "x"
    start();
    press("4");
    const auto with_n_tilde = [](std::string_view n_tilde) {
        std::string name = "x";
        name += n_tilde;
        return name + "andu";
    };
    const std::string typed = with_n_tilde(keys::n_tilde);
    const Minute before = enter_gm("gmacct", typed);
    const Minute after = local_minute_now();
    term().wait_for_screen_lines(success_screen("gmacct", typed));
    const std::string entry = with_n_tilde(program().n_tilde_entry);
    EXPECT_TRUE(record_matches(data() / "Character" / "AscII120" / (typed + ".txt"), RecordKind::gm,
                               {{"character-name     = GmName", "character-name     = " + entry}}, before,
                               after));
    EXPECT_EQ(tree_listing(data()), (std::vector<std::string>{"Character/", "Character/AscII120/",
                                                              "Character/AscII120/" + typed + ".txt"}));
}

// Where the GM's bucket folder is missing, nothing is made: the message names
// the folder, there is no success message, and the pause still follows.
class GmWithoutItsFolder : public GmTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(GmWithoutItsFolder, FailsWithAMessageNamingTheFolderAndMakesNothing) {
    for (const auto& folder : GetParam()) make_folder(folder);
    const auto tree_before = tree_listing(data());
    start();
    press("4");
    enter_gm("gmacct", "GmName");

    const auto lines = term().screen_lines();
    ASSERT_GE(lines.size(), 5U);
    EXPECT_EQ(lines[0], std::string(texts::gm_account_prompt) + "gmacct");
    EXPECT_EQ(lines[1], std::string(texts::gm_name_prompt) + "GmName");
    EXPECT_EQ(lines.back(), pause_line());
    const std::string screen = term().screen_text();
    EXPECT_EQ(screen.find(texts::gm_created), std::string::npos) << "no success message";
    // The folder itself is named, not only the file's path.
    const std::string folder = native_path("Character/AscII71");
    bool named = false;
    for (auto at = screen.find(folder); at != std::string::npos; at = screen.find(folder, at + 1)) {
        const char next = at + folder.size() < screen.size() ? screen[at + folder.size()] : '\n';
        named = named || next != program().path_separator;
    }
    EXPECT_TRUE(named) << "the message must name the missing folder " << folder << ":\n" << screen;
    EXPECT_EQ(tree_listing(data()), tree_before) << "nothing may be made";

    press(keys::enter);
    expect_menu_only();
}

INSTANTIATE_TEST_SUITE_P(Folders, GmWithoutItsFolder,
                         ::testing::Values(std::vector<std::string>{"Account/AscII97"},
                                           std::vector<std::string>{"Character", "Character/AscII90"}),
                         [](const auto& info) {
                             return info.index == 0 ? std::string("no_character_tree")
                                                    : std::string("tree_without_the_bucket");
                         });

}  // namespace
}  // namespace e2e
