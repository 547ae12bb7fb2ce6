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

// Typed as an operator, the GM's record is the golden file. Written again,
// it is replaced: one file, in the bucket of the GM's name, not the account's.
TEST_F(GmTest, TypedAsAnOperatorWritesTheGoldenFileAndWritingItAgainReplacesIt) {
    make_folder("Character/AscII71");
    make_folder("Character/AscII97");  // "a", the first account's: must stay empty
    start();
    press("4");
    term().wait_for_screen_lines({std::string(texts::gm_account_prompt)});
    enter_gm("acct", "GmName");
    press(keys::enter);
    expect_menu_only();
    press("4");
    const Minute before = enter_gm("gmacct", "GmName");
    const Minute after = local_minute_now();
    term().wait_for_screen_lines(success_screen("gmacct", "GmName"));
    EXPECT_TRUE(
        record_matches(data() / "Character" / "AscII71" / "GmName.txt", RecordKind::gm, {}, before, after));
    EXPECT_EQ(tree_listing(data()),
              (std::vector<std::string>{"Character/", "Character/AscII71/", "Character/AscII71/GmName.txt",
                                        "Character/AscII97/"}))
        << "one record, no temporary file, no account file";
    press(keys::enter);
    expect_menu_only();
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

// One typed name, one record: the POSIX program and qkeditor.exe under Wine,
// in the same locale, file a name typed in the UTF-8 pane in the same bucket
// under the same file name (as typed: UTF-8 on disk), with the same bytes in
// the record, those of the ANSI code page that the locale gives (1252 in the
// pane's C.UTF-8, 932 in Japanese). The limit counts those bytes, and a cut
// keeps whole characters.
struct TypedName {
    std::string name;
    std::string locale;  // LC_CTYPE where it is not the pane's C.UTF-8
    std::string typed;
    bool too_long;     // the program says so, and going on cuts it
    std::string file;  // the record, in the data folder
    std::string held;  // the name's bytes in the record
};

class NameInTheCodePage : public GmTest, public ::testing::WithParamInterface<TypedName> {};

TEST_P(NameInTheCodePage, GivesTheSameRecordOnEveryPlatform) {
    const TypedName& row = GetParam();
    if (!row.locale.empty()) {
        if (!fs::exists(fs::path(TEST_LOCALES) / row.locale))
            GTEST_SKIP() << "no " << row.locale << " locale (apt-get install locales)";
        under_test.environment.insert(
            under_test.environment.end(),
            {"LC_ALL=", "LC_CTYPE=" + row.locale, "LC_MESSAGES=en_US.UTF-8", "LOCPATH=" TEST_LOCALES});
    }
    const std::string folder = row.file.substr(0, row.file.rfind('/'));
    make_folder(folder);
    start();
    press("4");
    answer(texts::gm_account_prompt, "gmacct");
    wait_for_prompt(texts::gm_name_prompt);
    const Minute before = local_minute_now();
    type_line(row.typed);
    if (row.too_long) press("x");
    wait_for_pause();
    if (!row.too_long) term().wait_for_screen_lines(success_screen("gmacct", row.typed));
    EXPECT_TRUE(record_matches(data() / row.file, RecordKind::gm,
                               {{"character-name     = GmName", "character-name     = " + row.held}}, before,
                               local_minute_now()));
    EXPECT_EQ(tree_listing(data()), (std::vector<std::string>{"Character/", folder + "/", row.file}));
}

INSTANTIATE_TEST_SUITE_P(Rows, NameInTheCodePage,
                         // clang-format off
    ::testing::Values(
        TypedName{"n_tilde_first", "", "ñandu", false, "Character/AscII-15/ñandu.txt", "\xf1\x61ndu"},
        TypedName{"ten_bytes", "", "Muñoz12345", false, "Character/AscII77/Muñoz12345.txt", "Mu\xf1oz12345"},
        TypedName{"ten_n_tildes", "", "ññññññññññ", false, "Character/AscII-15/ññññññññññ.txt", std::string(10, '\xf1')},
        TypedName{"backslash_second_byte", "ja_JP.UTF-8", "表", false, "Character/AscII-107/表.txt", "\x95\x5c"},
        TypedName{"bar_second_byte", "ja_JP.UTF-8", "ポチ", false, "Character/AscII-125/ポチ.txt", "\x83\x7c\x83\x60"},
        TypedName{"cut_double_byte", "ja_JP.UTF-8", "abcdefghi日", true, "Character/AscII97/abcdefghi.txt", "abcdefghi"}),
                         // clang-format on
                         [](const auto& info) { return info.param.name; });

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
