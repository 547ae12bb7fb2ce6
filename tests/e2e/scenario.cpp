#include "scenario.hpp"

#include <algorithm>
#include <regex>

namespace e2e {
namespace {

// A prompt as the screen shows it: without its trailing spaces.
std::string as_shown(std::string_view prompt) {
    std::string shown(prompt);
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    return shown;
}

}  // namespace

std::string texts::creating_folder(int n) {
    return "Creando AscII" + std::to_string(n) + "...";
}

std::vector<std::string> texts::creating_folders() {
    std::vector<std::string> lines;
    for (int n = 1; n <= 249; ++n) lines.push_back(creating_folder(n));
    return lines;
}

TerminalSession& Scenario::term() {
    if (!session_) session_ = std::make_unique<TerminalSession>(program(), options);
    return *session_;
}

void Scenario::start(Where where) {
    term().start(where);
    term().wait_for_screen_lines(texts::menu, where);
}

void Scenario::wait_for_key_wait(Where where) {
    if (program().terminal_settings_are_the_programs) {
        term().wait_for_key_wait(where);
    } else {
        term().wait_until([&] { return shows_key_prompt(); },
                          "a prompt that waits for a key, the cursor where it waits", where);
    }
}

void Scenario::press(std::string_view key, Where where) {
    wait_for_key_wait(where);
    term().send(key, where);
}

bool Scenario::shows_key_prompt() {
    const auto lines = term().screen_lines();
    if (lines.empty()) return false;
    const std::string& last = lines.back();
    const int column = term().cursor().column;
    if (column == 0) return last == texts::exit_question || last == texts::back_or_quit;
    for (const std::string_view prompt : {texts::menu_prompt, std::string_view(program().pause_prompt)}) {
        if (last == as_shown(prompt) && column == static_cast<int>(prompt.size())) return true;
    }
    return false;
}

void Scenario::wait_for_keypad_mode(bool transmit, Where where) {
    // One past the last switch, 0 when there is none (npos + 1).
    const auto after_last = [&](std::string_view text) { return term().log().rfind(text) + 1; };
    transmit = transmit && !program().keypad_on.empty();
    term().wait_until([&] { return transmit == (after_last("\x1b=") > after_last("\x1b>")); },
                      transmit ? "the keypad in transmit mode" : "the keypad back in its normal mode", where);
}

void Scenario::type_line(std::string_view text, Where where) {
    term().send(std::string(text) + std::string(keys::enter), where);
}

void Scenario::wait_for_prompt(std::string_view prompt, Where where) {
    const std::string shown = as_shown(prompt);
    term().wait_until(
        [&] {
            const auto lines = term().screen_lines();
            return !lines.empty() && lines.back() == shown &&
                   term().cursor().column == static_cast<int>(prompt.size() % options.columns);
        },
        "the prompt \"" + std::string(prompt) + "\" alone on the last line, the cursor behind it", where);
}

void Scenario::answer(std::string_view prompt, std::string_view text, Where where) {
    wait_for_prompt(prompt, where);
    type_line(text, where);
}

void Scenario::leave_through_exit_confirmation(Where where) {
    press("0", where);
    term().wait_for_screen(texts::exit_question, 1, where);
    press("S", where);
    expect_exit_status(1, where);
}

Ending Scenario::expect_exit_status(int status, Where where) {
    const Ending ending = term().wait_for_exit(where);
    EXPECT_FALSE(ending.signaled) << ending.describe() << " (called from line " << where.line() << ")";
    EXPECT_EQ(ending.status, status) << ending.describe() << " (called from line " << where.line() << ")";
    // Status 2 comes where the terminal is gone, and with it its settings.
    if (program().terminal_settings_are_the_programs && status != 2) {
        EXPECT_EQ(term().stty_after_exit(where), term().stty_before()) << "called from line " << where.line();
    }
    return ending;
}

void Scenario::expect_menu_only(Where where) {
    term().wait_for_screen_lines(texts::menu, where);
}

void Scenario::wait_for_pause(Where where) {
    term().wait_until(
        [&] {
            const auto lines = term().screen_lines();
            return !lines.empty() && lines.back() == pause_line();
        },
        "the screen to end with the pause prompt \"" + program().pause_prompt + "\"", where);
}

void Scenario::wait_for_message(std::string_view message, Where where) {
    const auto joined = [&] { return std::regex_replace(term().screen_text(), std::regex("\n *"), " "); };
    term().wait_until([&] { return joined().find(message) != std::string::npos; },
                      "the screen to show \"" + visible(message) + "\" (its lines joined)", where);
}

void Scenario::expect_outcome(std::string_view message, Where where) {
    wait_for_pause(where);
    wait_for_message(message, where);
    back_to_menu(where);
}

void Scenario::back_to_menu(Where where) {
    press(keys::enter, where);
    expect_menu_only(where);
}

std::string Scenario::pause_line() const {
    return as_shown(program().pause_prompt);
}

void Scenario::make_folder(std::string_view relative) {
    fs::create_directories(data() / relative);
}

std::string Scenario::native_path(std::string_view relative) const {
    std::string path(relative);
    std::replace(path.begin(), path.end(), '/', program().path_separator);
    return path;
}

std::vector<std::string> over_long_screen(std::string_view prompt, std::string_view entry,
                                          std::string_view message) {
    return {prompt_line(prompt, entry), "", std::string(message), "", "", std::string(texts::back_or_quit)};
}

std::vector<std::string> account_tree_listing() {
    std::vector<std::string> entries = {"Account/"};
    for (int n = 1; n <= 249; ++n) entries.push_back("Account/AscII" + std::to_string(n) + "/");
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace e2e
