// Reads standard input through the program's own line reader, pausing with
// the program's own pause every few lines, and writes the lines it read to
// the file named by its argument, one per line. With the answers coming from
// a file, every line must come back as it was: the pause may take nothing
// from standard input. A key for each pause is queued on the console first.
#include <cstdio>

#include "console_input.hpp"
#include "platform/platform.hpp"

namespace {

constexpr int lines_between_pauses = 25;
constexpr std::size_t line_bound = 1024;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: answers_file_check OUTPUT < ANSWERS\n");
        return 2;
    }
    if (checks::console_input() == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "answers_file_check: no console to pause on\n");
        return 2;
    }
    std::FILE* output = std::fopen(argv[1], "wb");
    if (output == nullptr) return 2;
    for (int count = 1;; ++count) {
        const platform::InputLine line = platform::read_input_line(line_bound);
        if (line.end_of_input) break;
        std::fwrite(line.text.data(), 1, line.text.size(), output);
        std::fputc('\n', output);
        if (count % lines_between_pauses == 0) {
            if (!checks::type_keys(L" ")) return 2;
            platform::pause();
        }
    }
    return std::fclose(output) == 0 ? 0 : 2;
}
