#include "console/dialogue.hpp"

#include <algorithm>

#include "console/output.hpp"
#include "console/prompts.hpp"
#include "text/entry_text.hpp"

namespace console {

Dialogue::Dialogue() {
    begin_dialogue();
}

void Dialogue::ask(std::string_view prompt, std::string& field, std::string_view label) {
    print(prompt);
    note(label, field, read_line(field));
}

void Dialogue::ask_limited(std::string_view prompt, std::string& field, std::size_t limit,
                           std::string_view message, std::string_view label) {
    LineRead read = read_limited_entry(prompt, field, limit, message);
    read.cut = false;  // its own message has said so, and it is cut to its limit
    note(label, field, read);
}

void Dialogue::note(std::string_view label, const std::string& field, const LineRead& read) {
    entries_.push_back({label, &field, read});
}

std::optional<std::string> Dialogue::refusal() const {
    const auto refused = [](std::string_view why) {
        std::string message = "\n";
        message += why;
        message += ". No se ha guardado nada.";
        return message;
    };
    if (std::any_of(entries_.begin(), entries_.end(), [](const Entry& entry) { return !entry.read.given; })) {
        return refused("La entrada ha terminado antes de completar los datos");
    }
    for (const Entry& entry : entries_) {
        std::string why(entry.label);
        if (entry.read.unrepresentable) {
            return refused(why + " tiene un caracter que no existe en la pagina de codigos de Windows");
        }
        if (const auto control = text::first_control_byte(*entry.field)) {
            return refused(why + " contiene un caracter de control (" + text::hex_escape(*control) +
                           "), que no se puede guardar");
        }
    }
    return std::nullopt;
}

std::string Dialogue::notices() const {
    std::string notices;
    for (const Entry& entry : entries_) {
        if (!entry.read.cut) continue;
        notices += "\n";
        notices += entry.label;
        notices +=
            " tenia mas de " + std::to_string(line_bound) + " bytes: se ha guardado solo el principio.";
    }
    return notices;
}

}  // namespace console
