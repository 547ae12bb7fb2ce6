#include "console/dialogue.hpp"

#include <algorithm>

#include "console/output.hpp"
#include "console/prompts.hpp"
#include "platform/platform.hpp"
#include "text/entry_text.hpp"
#include "text/messages.hpp"

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
            notice += text::unbreakable(escaped(record_path));
            break;
        case LimitedEntry::secret:
            notice += " se ha cortado: se han guardado sus primeros " +
                      std::to_string(text::character_count(kept, platform::entry_code_page())) +
                      " caracteres";
            break;
        case LimitedEntry::shown:
            notice += " se ha cortado a " + text::unbreakable('"' + escaped(kept) + '"');
            break;
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
    const auto refused = [](std::string_view why, std::string_view to_do) {
        return '\n' + text::failure_message(text::record_not_stored, why, to_do, text::nothing_changed);
    };
    if (std::any_of(entries_.begin(), entries_.end(), [](const Entry& entry) { return !entry.read.given; })) {
        return refused("la entrada ha terminado antes de completar los datos",
                       "Vuelva a crear el registro con todas las respuestas.");
    }
    constexpr std::string_view without_it = "Vuelva a crear el registro sin ese caracter.";
    for (const Entry& entry : entries_) {
        // The label starts a sentence; here it follows a colon.
        std::string entry_name(entry.label);
        entry_name.front() = static_cast<char>(entry_name.front() - 'A' + 'a');
        entry_name += ' ';
        if (entry.read.undecodable) {
            return refused(entry_name + std::string(not_text),
                           std::string(match_the_encoding) + ", y vuelva a crear el registro.");
        }
        if (entry.read.unrepresentable) return refused(entry_name + lacks_character(entry.read), without_it);
        if (const auto control = text::first_control_character(*entry.field, platform::entry_code_page())) {
            return refused(entry_name + text::holds_character('"' + escaped(*control) + '"', "es de control"),
                           without_it);
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
