// Reads the answers file that wine_check.sh gives it on standard input
// ("line00000 answer, ..." to "line02599 ...", over 64 KiB) through the
// program's own line reader, pausing with the program's own pause every few
// lines, a key for each pause queued on the console first. Every line must
// come back as it was: the pause may take nothing from standard input.
#include <cstdio>
#include <string>

#include "console_input.hpp"
#include "platform/platform.hpp"

namespace {

constexpr int answer_lines = 2600;
constexpr int lines_between_pauses = 25;
constexpr std::size_t line_bound = 1024;

}  // namespace

int main() {
    if (checks::console_input() == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "answers_file_check: no console to pause on\n");
        return 2;
    }
    int count = 0;
    for (platform::InputLine line; !(line = platform::read_input_line(line_bound)).end_of_input;) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "line%05d answer, with some text after it", count++);
        if (line.text != expected) {
            std::fprintf(stderr, "line %d came back as \"%s\"\n", count, line.text.c_str());
            return 1;
        }
        if (count % lines_between_pauses != 0) continue;
        if (!checks::type_keys(L" ")) return 2;
        platform::pause();
    }
    if (count == answer_lines) return 0;
    std::fprintf(stderr, "%d lines came back of %d\n", count, answer_lines);
    return 1;
}
