#include "console/lines.hpp"

#include "console/output.hpp"
#include "platform/platform.hpp"
#include "text/entry_text.hpp"
#include "text/messages.hpp"

namespace console {
namespace {

// Set at the end of input: no line is read until the next dialogue starts
// at a terminal.
bool input_ended = false;

}  // namespace

void begin_dialogue() {
    if (platform::standard_input_is_terminal()) input_ended = false;
}

LineRead read_line(std::string& field) {
    if (input_ended) return {};
    platform::InputLine line = platform::read_input_line(line_bound);
    if (line.end_of_input) {
        // A terminal closed under the dialogue is no end of input: going on
        // with the previous entries would write a record nobody finished.
        if (platform::standard_input_hung_up()) end_without_terminal();
        input_ended = true;
        return {};
    }
    field =
        line.cut ? text::without_cut_character(line.text, platform::entry_code_page()) : std::move(line.text);
    return {true, line.cut, line.unrepresentable, line.undecodable, line.lacking};
}

std::string lacks_character(const LineRead& read) {
    return text::holds_character(
        text::code_point(read.lacking),
        "no existe en la pagina de codigos " + std::to_string(platform::entry_code_page().number));
}

}  // namespace console
