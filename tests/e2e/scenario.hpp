// What the scenarios share: the program's own texts, the bytes a terminal
// sends for keys, and a fixture that runs one session of the program in a
// fresh data folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files.hpp"
#include "program.hpp"
#include "temp_dir.hpp"
#include "terminal_session.hpp"

namespace e2e {

using namespace harness;

// The program that this test executable drives; defined by the one source
// file that the build links in for it.
const Program& program_under_test();

// The bytes a terminal (tmux, xterm) sends for a key press.
namespace keys {
inline constexpr std::string_view enter = "\r";
inline constexpr std::string_view space = " ";
inline constexpr std::string_view escape = "\x1b";
inline constexpr std::string_view up = "\x1b[A";
inline constexpr std::string_view left = "\x1b[D";
inline constexpr std::string_view del = "\x1b[3~";
inline constexpr std::string_view f1 = "\x1bOP";
inline constexpr std::string_view f12 = "\x1b[24~";
inline constexpr std::string_view ctrl_c = "\x03";
inline constexpr std::string_view ctrl_e = "\x05";
inline constexpr std::string_view n_tilde = "\xc3\xb1";  // "ñ" in UTF-8
}  // namespace keys

// The program's own texts, byte for byte.
namespace texts {
inline const std::vector<std::string> menu = {
    "-------QK Editor v1.2--------",
    "1.- Crear Carpetas",
    "2.- Crear Cuenta",
    "3.- Calcular AscII",
    "4.- Crear GM",
    "0.- Salir",
    "Eliga una opcion: ",
};
inline constexpr std::string_view menu_prompt = "Eliga una opcion: ";
inline constexpr std::string_view invalid_option = "Opcion incorrecta";
inline constexpr std::string_view exit_question = "Esta seguro que desea salir? (S/N)";
inline constexpr std::string_view back_or_quit = "Desea volver o salir? (V/S)";

inline constexpr std::string_view account_name_prompt = "Account name (10 chars): ";
inline constexpr std::string_view password_prompt = "Account password (8 chars): ";
inline constexpr std::string_view email_prompt = "Introduce tu email: ";
inline constexpr std::string_view question_prompt = "Pregunta secreta: ";
inline constexpr std::string_view answer_prompt = "Respuesta secreta: ";
inline constexpr std::string_view account_name_too_long = "La cuenta tiene demasiados caracteres! Error";
inline constexpr std::string_view password_too_long = "El password tiene demasiados caracteres! Error";
inline constexpr std::string_view account_created = "Cuenta creada con exito!";
inline const std::vector<std::string> input_ended = {
    "No se pudo guardar el registro: la entrada ha terminado antes de completar los",
    "datos. Vuelva a crear el registro con todas las respuestas.", "No se ha cambiado nada."};

inline constexpr std::string_view gm_account_prompt = "Introduce el account del GM: ";
inline constexpr std::string_view gm_name_prompt = "Introduce el nombre del GM: ";
inline constexpr std::string_view gm_account_too_long = "La cuenta no puede tener mas de 10 caracteres!";
inline constexpr std::string_view gm_name_too_long = "El nombre del GM no puede tener mas de 10 caracteres!";
inline constexpr std::string_view gm_created = "GM creado exitosamente!";

inline constexpr std::string_view char_code_prompt = "Introduce el caracter para calcular el valor ascii: ";

// "Creando AscII%d..." for n.
std::string creating_folder(int n);
// The 249 lines that option "1" prints.
std::vector<std::string> creating_folders();
}  // namespace texts

// One session of the program under test per scenario, in a fresh data folder.
class Scenario : public ::testing::Test {
protected:
    using Where = CallSite;

    const Program& program() const { return under_test; }

    // Set before the session is first used: what it runs, and how.
    Program under_test = program_under_test();
    SessionOptions options;

    // The session, made on first use (its data folder exists from then on).
    TerminalSession& term();
    const fs::path& data() { return term().data_dir().path(); }

    // Starts the program and waits for the menu.
    void start(Where where = Where::current());

    // Waits until the program waits for a key. Where the program sets the
    // terminal, a key sent earlier would be echoed in canonical mode, so the
    // wait is for the terminal's settings; under Wine, for a key prompt on
    // screen with the cursor where it waits.
    void wait_for_key_wait(Where where = Where::current());
    // A key press: waits until the program waits for a key, then sends it.
    void press(std::string_view key, Where where = Where::current());
    // A line typed at a prompt: the text, then Enter.
    void type_line(std::string_view text, Where where = Where::current());

    // Waits until the output log leaves the terminal's keypad in transmit
    // mode (`transmit`, where the program switches it) or in its normal mode:
    // its last switch of the keypad, "ESC =" on or "ESC >" off, ends the
    // switch of every description used here.
    void wait_for_keypad_mode(bool transmit, Where where = Where::current());

    // Waits until the program shows `prompt` on the last line and waits
    // behind it (the line is the prompt alone, the cursor right after it).
    void wait_for_prompt(std::string_view prompt, Where where = Where::current());
    // Waits for `prompt`, then types a line.
    void answer(std::string_view prompt, std::string_view text, Where where = Where::current());

    // Waits until the screen is exactly the menu, and nothing above it.
    void expect_menu_only(Where where = Where::current());
    // Waits until the screen ends with the pause prompt.
    void wait_for_pause(Where where = Where::current());
    // Ends the pause with Enter; waits for the menu alone on the screen.
    void back_to_menu(Where where = Where::current());
    // Waits until the screen shows `message` as the operator reads it: the
    // program wraps its messages to fit the console, so a line break there,
    // with the indentation after it, reads as one space.
    void wait_for_message(std::string_view message, Where where = Where::current());
    // Waits for the pause that ends a dialogue with `message` on the screen
    // (see wait_for_message), then goes on to the menu.
    void expect_outcome(std::string_view message, Where where = Where::current());
    // The pause prompt as the screen shows it (no trailing space).
    std::string pause_line() const;

    // Ends the session through the exit confirmation; afterwards every key
    // sent before has been read.
    void leave_through_exit_confirmation(Where where = Where::current());

    // Waits for the program to end; expects the exit status given and, where
    // the terminal's settings are the program's, the terminal as it was.
    Ending expect_exit_status(int status, Where where = Where::current());

    // Makes a folder below the data folder ("Character/AscII90").
    void make_folder(std::string_view relative);
    // The path of a record file as the program's messages name it.
    std::string native_path(std::string_view relative) const;

private:
    // The screen ends with a prompt at which the program waits for a key, the
    // cursor where it waits: behind the menu's or the pause's prompt, at the
    // start of the line below a question.
    bool shows_key_prompt();

    std::unique_ptr<TerminalSession> session_;
};

// Skips the scenario, saying why, when the program under test cannot do what
// it needs (see the capability flags of Program).
#define E2E_REQUIRE(capable, why) \
    if (!(capable)) GTEST_SKIP() << program().name << ": " << (why)

// A prompt with the entry typed behind it, as the screen shows it.
inline std::string prompt_line(std::string_view prompt, std::string_view entry) {
    return std::string(prompt) + std::string(entry);
}

// The screen after an over-long entry: the entry at its prompt, the message,
// and the back-or-quit prompt.
std::vector<std::string> over_long_screen(std::string_view prompt, std::string_view entry,
                                          std::string_view message);

// "Account/AscII1/" ... "Account/AscII249/" and "Account/", sorted as
// tree_listing sorts them.
std::vector<std::string> account_tree_listing();

// A table row of the scenarios, as test listings and failures name it: by
// its name. (In each test file's own unnamed namespace, where its rows are.)
namespace {
// clang-format off
void PrintTo(const auto& row, std::ostream* out) requires requires { row.name; } { *out << row.name; }
// clang-format on
}  // namespace

}  // namespace e2e
