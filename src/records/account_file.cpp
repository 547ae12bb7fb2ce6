#include "records/account_file.hpp"

#include <array>

#include "console/dialogue.hpp"
#include "console/output.hpp"
#include "records/bucket.hpp"
#include "records/image_text.hpp"
#include "records/record_writer.hpp"

namespace records {
namespace {

// The server's field sizes.
constexpr std::size_t name_limit = 10;
constexpr std::size_t password_limit = 8;

// Kept for the whole run; the next run of the dialogue overwrites them.
AccountEntries entries;

}  // namespace

std::string account_image(const AccountEntries& entries, const platform::Timestamp& time) {
    const std::array<std::string, 23> lines = {
        "Account-generated:  Time(" + time_fields(time, '/') + ")  IP(127.0.0.0)",
        "[NAME]",
        "account-name = " + entries.name,
        "",
        "[PASSWORD]",
        "account-password = " + entries.password,
        "",
        "[ACCOUNT-STATUS]",
        "account-valid-time = 0",
        "account-valid-date = 2008 4 5",
        "account-change-password = 2003 3 29",
        "[ETC]",
        "account-Gender = Male",
        "account-Age = xx",
        "account-Birth-Year = xxxx",
        "account-Birth-Month = xx",
        "account-Birth-Day = xx",
        "account-RealName = xxxxx",
        "account-SSN = xxx",
        "account-Email = " + entries.email,
        "account-Quiz = " + entries.question,
        "account-Answer = " + entries.answer,
        "account-created-by = Tolvenmark",
    };
    return lines_each_ended(lines);
}

void create_account() {
    console::clear_screen();
    console::Dialogue dialogue;
    dialogue.ask_limited("Account name (10 chars): ", entries.name, name_limit,
                         "\nLa cuenta tiene demasiados caracteres! Error\n", "El nombre de la cuenta",
                         console::LimitedEntry::record_name);
    dialogue.ask_limited("Account password (8 chars): ", entries.password, password_limit,
                         "\nEl password tiene demasiados caracteres! Error\n", "El password",
                         console::LimitedEntry::secret);
    dialogue.ask("Introduce tu email: ", entries.email, "El email");
    dialogue.ask("Pregunta secreta: ", entries.question, "La pregunta secreta");
    dialogue.ask("Respuesta secreta: ", entries.answer, "La respuesta secreta");
    write_record(
        account_tree, entries.name,
        [](const platform::Timestamp& time) { return account_image(entries, time); },
        "\nCuenta creada con exito!", dialogue);
}

}  // namespace records
