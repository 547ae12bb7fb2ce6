#include "platform/stdio_line.hpp"

#include <cstdio>

namespace platform {

InputLine read_stdio_line(std::size_t bound) {
    InputLine line;
    int byte = std::getchar();
    if (byte == EOF) {
        line.end_of_input = true;
        return line;
    }
    for (; byte != EOF && byte != '\n'; byte = std::getchar()) {
        if (byte == '\r') {
            const int next = std::getchar();
            if (next == '\n') break;
            std::ungetc(next, stdin);
        }
        if (line.text.size() < bound) {
            line.text.push_back(static_cast<char>(byte));
        } else {
            line.cut = true;
        }
    }
    return line;
}

}  // namespace platform
