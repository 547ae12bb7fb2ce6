#include "console/dialogue.hpp"

#include <algorithm>

#include "console/output.hpp"
#include "console/prompts.hpp"
#include "platform/platform.hpp"
#include "text/entry_text.hpp"

namespace console {
namespace {

// What the operator is told of an entry that was cut: `kept` is what was
// written of it.
std::string cut_notice(std::string_view label, const std::string& kept, std::optional<LimitedEntry> limited,
                       std::string_view record_path) {
    std::string notice = "\n";
    notice += label;
    if (!limited) {
        notice += " tenia mas de " + std::to_string(line_bound) + " bytes: se ha guardado solo el principio.";
        return notice;
    }
    switch (*limited) {
        case LimitedEntry::record_name:
            notice += " se ha cortado: el registro guardado es ";
            notice += escaped(record_path);
            break;
        case LimitedEntry::secret:
            notice += " se ha cortado: se han guardado sus primeros " +
                      std::to_string(text::character_count(kept, platform::entry_code_page())) +
                      " caracteres";
            break;
        case LimitedEntry::shown: notice += " se ha cortado a \"" + escaped(kept) + "\""; break;
    }
    notice += ".";
    return notice;
}

}  // namespace

Dialogue::Dialogue() {
    begin_dialogue();
}

void Dialogue::ask(std::string_view prompt, std::string& field, std::string_view label) {
    print(prompt);
    entries_.push_back({label, &field, read_line(field), std::nullopt});
}

void Dialogue::ask_limited(std::string_view prompt, std::string& field, std::size_t limit,
                           std::string_view message, std::string_view label, LimitedEntry kind) {
    entries_.push_back({label, &field, read_limited_entry(prompt, field, limit, message), kind});
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
        if (entry.read.undecodable) return refused(why + " " + std::string(not_text));
        if (entry.read.unrepresentable) {
            return refused(why + " tiene un caracter que no existe en la pagina de codigos de Windows");
        }
        if (const auto control = text::first_control_character(*entry.field, platform::entry_code_page())) {
            return refused(why + " contiene un caracter de control (" + escaped(*control) +
                           "), que no se puede guardar");
        }
    }
    return std::nullopt;
}

bool Dialogue::record_name_cut() const {
    return std::any_of(entries_.begin(), entries_.end(), [](const Entry& entry) {
        return entry.limited == LimitedEntry::record_name && entry.read.cut;
    });
}

std::string Dialogue::notices(std::string_view record_path) const {
    std::string notices;
    for (const Entry& entry : entries_) {
        if (entry.read.cut) notices += cut_notice(entry.label, *entry.field, entry.limited, record_path);
    }
    return notices;
}

}  // namespace console
