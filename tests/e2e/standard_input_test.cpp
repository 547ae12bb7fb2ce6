// Lines from a file on standard input while keys come from the terminal, end
// to end: a dialogue takes its lines from the file, whatever their line ends;
// a control byte refuses the record; a line longer than the bound is cut at a
// character's edge; a line that is no text in the locale's encoding is refused; once the file ends, a
// dialogue runs through at once but writes nothing (nothing of an earlier account goes into another), and the
// calculator shows the empty entry and 0.
#include "record_check.hpp"
#include "scenario.hpp"

namespace e2e {
namespace {

struct LineEnds {
    std::string name;
    std::string line_end;
    std::string last_line_end;
};

// The e-mail of the long line as kept: the line bound (1,024 bytes of the
// code page, 1252) keeps one of the two "n" with a tilde that follow, two
// bytes each in UTF-8.
const std::string kept_email = std::string(1023, 'e') + "\xf1";

class LinesFromAFile : public Scenario, public ::testing::WithParamInterface<LineEnds> {
protected:
    void SetUp() override {
        E2E_REQUIRE(program().keys_arrive_with_stdin_redirected,
                    "keys stop arriving from the terminal when standard input is a file");
        const std::vector<std::string> lines = {
            "acct", "pw", "mail", "quiz", "answer",
            // A carriage return in the e-mail would forge a line of the record.
            "acct", "pw", "x@y\raccount-valid-time = 999", "quiz", "answer", "longmail", "pw",
            std::string(1023, 'e') + "ññ" + std::string(3000, 'f'), "quiz", "answer",
            // No UTF-8: not text in the pane's locale.
            "\xf1",
            // The file ends after the name.
            "bob"};
        std::string bytes;
        for (const auto& line : lines)
            bytes += line + (&line == &lines.back() ? GetParam().last_line_end : GetParam().line_end);
        options.standard_input = bytes;
    }

    // The account dialogue with no echo of its lines: the five prompts on one
    // line, then the outcome and the pause.
    void expect_dialogue_screen(const std::vector<std::string>& outcome) {
        std::vector<std::string> screen = {
            std::string(texts::account_name_prompt) + std::string(texts::password_prompt) +
            std::string(texts::email_prompt) + std::string(texts::question_prompt) +
            std::string(texts::answer_prompt)};
        screen.insert(screen.end(), outcome.begin(), outcome.end());
        screen.push_back(pause_line());
        term().wait_for_screen_lines(screen);
        back_to_menu();
    }
};

TEST_P(LinesFromAFile, FeedTheDialoguesUntilTheInputEndsThenNothingIsWritten) {
    for (const char* folder : {"Account/AscII97", "Account/AscII98", "Account/AscII108"}) make_folder(folder);
    start();
    const fs::path record = data() / "Account" / "AscII97" / "acct.txt";

    Minute before = local_minute_now();
    press("2");
    expect_dialogue_screen({std::string(texts::account_created)});
    EXPECT_TRUE(record_matches(record, RecordKind::account, {}, before, local_minute_now()));

    std::filesystem::remove(record);
    press("2");
    expect_dialogue_screen(
        {R"(No se pudo guardar el registro: el email contiene el caracter "\x0D", que es de)",
         "control. Vuelva a crear el registro sin ese caracter.", "No se ha cambiado nada."});
    EXPECT_FALSE(fs::exists(record));

    before = local_minute_now();
    press("2");
    expect_dialogue_screen({std::string(texts::account_created),
                            "El email tenia mas de 1024 bytes: se ha guardado solo el principio."});
    EXPECT_TRUE(record_matches(data() / "Account" / "AscII108" / "longmail.txt", RecordKind::account,
                               {{"account-name = acct", "account-name = longmail"},
                                {"account-Email = mail", "account-Email = " + kept_email}},
                               before, local_minute_now()));

    press("3");
    term().wait_for_screen_lines(
        {std::string(texts::char_code_prompt),
         "No se puede calcular el valor AscII: la entrada no es texto en la codificacion",
         "del terminal. Haga que coincidan la codificacion del terminal y la de LANG,",
         "LC_CTYPE o LC_ALL, y vuelva a escribir el caracter.", "No se ha cambiado nada.", pause_line()});
    press(keys::enter);

    press("2");
    expect_dialogue_screen(texts::input_ended);
    EXPECT_TRUE(entries_of(data() / "Account" / "AscII98").empty());

    press("3");
    term().wait_for_screen_lines(
        {std::string(texts::char_code_prompt), "El valor AscII del caracter , es 0", pause_line()});
    back_to_menu();
}

INSTANTIATE_TEST_SUITE_P(Files, LinesFromAFile,
                         ::testing::Values(LineEnds{"line_feeds", "\n", "\n"},
                                           LineEnds{"carriage_returns_and_no_last_line_feed", "\r\n", ""}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace e2e
