#include "console/lines.hpp"

#include <cstdio>

#include "console/output.hpp"
#include "platform/platform.hpp"

namespace console {

void read_line(std::string& field) {
    std::string line;
    int byte = std::getchar();
    const bool nothing_read = byte == EOF;
    while (byte != EOF && byte != '\n') {
        line.push_back(static_cast<char>(byte));
        byte = std::getchar();
    }
    // A terminal closed under the dialogue is no end of input: going on with
    // a half-typed line or the previous entries would write a record that
    // nobody finished.
    if (byte == EOF && platform::standard_input_hung_up()) end_without_terminal();
    if (nothing_read) return;
    if (byte == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
    field = std::move(line);
}

}  // namespace console
