// Option "4", the GM character dialogue and its file, end to end. The program never makes the "Character"
// tree: each scenario makes the bucket folders it needs, as a server installation would.
#include <algorithm>
#include <set>

#include "record_check.hpp"
#include "scenario.hpp"

namespace e2e {
namespace {

class GmTest : public Scenario {
protected:
    // The two entries, a name that is too long going on to be cut; gives the
    // clock read before the record was written.
    Minute enter_gm(std::string_view account, std::string_view name, bool too_long = false) {
        answer(texts::gm_account_prompt, account);
        wait_for_prompt(texts::gm_name_prompt);
        const Minute before = local_minute_now();
        type_line(name);
        if (too_long) press("x");
        wait_for_pause();
        return before;
    }

    std::vector<std::string> success_screen(std::string_view account, std::string_view name) const {
        return {prompt_line(texts::gm_account_prompt, account),
                prompt_line(texts::gm_name_prompt, name),
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
    back_to_menu();
}

// Ten characters pass (as in the account dialogue, through the same limited
// entry); eleven draw each entry's message, and going on cuts them to ten.
TEST_F(GmTest, ElevenCharactersDrawTheMessageAndGoingOnCutsThemToTen) {
    make_folder("Character/AscII90");
    start();
    press("4");
    answer(texts::gm_account_prompt, "klmnopqrstu");  // 11
    std::vector<std::string> screen =
        over_long_screen(texts::gm_account_prompt, "klmnopqrstu", texts::gm_account_too_long);
    term().wait_for_screen_lines(screen);
    press("x");
    wait_for_prompt(texts::gm_name_prompt);
    const Minute before = local_minute_now();
    type_line("Zyxwvutsrqp");  // 11
    const auto name = over_long_screen(texts::gm_name_prompt, "Zyxwvutsrqp", texts::gm_name_too_long);
    screen.insert(screen.end(), name.begin(), name.end());
    term().wait_for_screen_lines(screen);
    press("x");
    // The outcome says what became of each cut entry.
    screen.insert(screen.end(), {"", "", std::string(texts::gm_created), "",
                                 "La cuenta del GM se ha cortado a \"klmnopqrst\".",
                                 "El nombre del GM se ha cortado: el registro guardado es",
                                 native_path("Character/AscII90/Zyxwvutsrq.txt") + ".", pause_line()});
    term().wait_for_screen_lines(screen);
    const Minute after = local_minute_now();
    EXPECT_TRUE(record_matches(data() / "Character" / "AscII90" / "Zyxwvutsrq.txt", RecordKind::gm,
                               {{"character-name     = GmName", "character-name     = Zyxwvutsrq"},
                                {"account-name       = gmacct", "account-name       = klmnopqrst"}},
                               before, after));
}

// One table for every code page that a locale gives, run against the POSIX
// program and qkeditor.exe under Wine in the same locale: a name typed in the
// UTF-8 pane in the locale's script is filed in the same bucket under the
// same file name (as typed: UTF-8 on disk), with the same bytes in the record,
// those of the code page; the limit counts those bytes, and a cut keeps whole
// characters. A character that the page lacks (or has only as a look-alike,
// or as a letter and a combining mark) refuses the record, and the calculator
// gives the name's bucket number.
struct CodePageRow {
    std::string name;
    std::string locale;   // LC_CTYPE, made by the fixture
    std::string typed;    // a GM name that fits
    std::string held;     // its bytes in the code page
    std::string cut;      // double-byte pages: nine letters and a character that the limit cuts
    std::string lacking;  // a character that the page lacks
};

class NameInTheCodePage : public GmTest, public ::testing::WithParamInterface<CodePageRow> {};

TEST_P(NameInTheCodePage, GivesTheSameRecordsAndAnswersOnEveryPlatform) {
    const CodePageRow& row = GetParam();
    if (!fs::exists(fs::path(TEST_LOCALES) / row.locale)) GTEST_SKIP() << "no " << row.locale << " locale";
    under_test.environment.insert(
        under_test.environment.end(),
        {"LC_ALL=", "LC_CTYPE=" + row.locale, "LC_MESSAGES=en_US.UTF-8", "LOCPATH=" TEST_LOCALES});
    const std::string bucket = std::to_string(static_cast<signed char>(row.held.front()));
    const std::string folder = "Character/AscII" + bucket;
    std::set<std::string> tree = {"Character/", folder + "/", "Character/AscII97/"};
    for (const std::string& made : tree) make_folder(made);
    start();
    // The name that fits, then the one cut to nine letters.
    for (const auto& [typed, file, held] :
         {std::tuple{row.typed, folder + "/" + row.typed + ".txt", row.held},
          {row.cut, "Character/AscII97/abcdefghi.txt", "abcdefghi"}}) {
        if (typed.empty()) continue;
        press("4");
        const Minute before = enter_gm("gmacct", typed, typed == row.cut);
        tree.insert(file);
        if (typed == row.typed) term().wait_for_screen_lines(success_screen("gmacct", typed));
        EXPECT_TRUE(record_matches(data() / file, RecordKind::gm,
                                   {{"character-name     = GmName", "character-name     = " + held}}, before,
                                   local_minute_now()));
        press(keys::enter);
    }
    press("4");
    enter_gm("gmacct", row.lacking);
    expect_outcome("que no existe en la pagina de codigos " + row.name.substr(row.name.find('_') + 1) + ".");
    press("3");
    answer(texts::char_code_prompt, row.typed);
    expect_outcome("El valor AscII del caracter " + row.typed + ", es " + bucket);
    EXPECT_EQ(tree_listing(data()), std::vector<std::string>(tree.begin(), tree.end()));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, NameInTheCodePage,
    ::testing::Values(
        CodePageRow{"thai_874", "th_TH.UTF-8", "ภาษาสยาม", "\xc0\xd2\xc9\xd2\xca\xc2\xd2\xc1", "", "Ω"},
        CodePageRow{"japanese_932", "ja_JP.UTF-8", "表ポチ日本", "\x95\x5c\x83\x7c\x83\x60\x93\xfa\x96\x7b", "abcdefghi日", "¥"},
        CodePageRow{"chinese_936", "zh_CN.UTF-8", "汉字中文名", "\xba\xba\xd7\xd6\xd6\xd0\xce\xc4\xc3\xfb", "abcdefghi中", "ก"},
        CodePageRow{"korean_949", "ko_KR.UTF-8", "한국어이름", "\xc7\xd1\xb1\xb9\xbe\xee\xc0\xcc\xb8\xa7", "abcdefghi한", "ก"},
        CodePageRow{"chinese_950", "zh_TW.UTF-8", "許功蓋中文", "\xb3\x5c\xa5\x5c\xbb\x5c\xa4\xa4\xa4\xe5", "abcdefghi許", "ก"},
        CodePageRow{"polish_1250", "pl_PL.UTF-8", "Łódźżółć", "\xa3\xf3\x64\x9f\xbf\xf3\xb3\xe6", "", "ก"},
        CodePageRow{"russian_1251", "ru_RU.UTF-8", "Добрыня", "\xc4\xee\xe1\xf0\xfb\xed\xff", "", "ก"},
        CodePageRow{"spanish_1252", "es_ES.UTF-8", "ñandúMuñoz", "\xf1\x61nd\xfaMu\xf1oz", "", "ก"},
        CodePageRow{"greek_1253", "el_GR.UTF-8", "Αθήνα", "\xc1\xe8\xde\xed\xe1", "", "ก"},
        CodePageRow{"turkish_1254", "tr_TR.UTF-8", "Şükrü", "\xde\xfc\x6b\x72\xfc", "", "ก"},
        CodePageRow{"hebrew_1255", "he_IL.UTF-8", "שלום", "\xf9\xec\xe5\xed", "", "ก"},
        CodePageRow{"arabic_1256", "ar_EG.UTF-8", "سلام", "\xd3\xe1\xc7\xe3", "", "ก"},
        CodePageRow{"lithuanian_1257", "lt_LT.UTF-8", "Šarūnas", "\xd0\x61\x72\xfb\x6e\x61\x73", "", "ก"},
        CodePageRow{"vietnamese_1258", "vi_VN.UTF-8", "Đa\u0301ng", "\xd0\x61\xecng", "", "ặ"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

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
    EXPECT_EQ(lines[0], prompt_line(texts::gm_account_prompt, "gmacct"));
    EXPECT_EQ(lines[1], prompt_line(texts::gm_name_prompt, "GmName"));
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

    back_to_menu();
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
