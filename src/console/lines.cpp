#include "console/lines.hpp"

#include <cstdio>

namespace console {

void read_line(std::string& field) {
    std::string line;
    int byte = std::getchar();
    if (byte == EOF) return;
    while (byte != EOF && byte != '\n') {
        line.push_back(static_cast<char>(byte));
        byte = std::getchar();
    }
    if (byte == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
    field = std::move(line);
}

}  // namespace console
