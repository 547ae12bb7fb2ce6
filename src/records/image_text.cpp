#include "records/image_text.hpp"

namespace records {

std::string time_fields(const platform::Timestamp& time, char separator) {
    std::string text;
    for (const int field : {time.year, time.month, time.day, time.hour, time.minute}) {
        if (!text.empty()) text += separator;
        text += std::to_string(field);
    }
    return text;
}

std::string repeated(std::string_view piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

std::string lines_each_ended(std::span<const std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

std::string lines_joined(std::span<const std::string> lines) {
    std::string text = lines_each_ended(lines);
    if (!text.empty()) text.pop_back();
    return text;
}

}  // namespace records
