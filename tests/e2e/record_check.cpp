#include "record_check.hpp"

#include <algorithm>
#include <ctime>
#include <regex>

#ifndef GOLDEN_DIR
#error "GOLDEN_DIR must name tests/golden"
#endif

namespace e2e {
namespace {

constexpr std::string_view line_end = "\r\n";

struct StampFormat {
    std::string golden_text;  // the time stamp as the golden file writes it
    std::regex pattern;       // finds it in a record: five numbers
    char separator;
};

StampFormat stamp_format(RecordKind kind) {
    if (kind == RecordKind::account) {
        return {
            "Account-generated:  Time(2006/3/2/22/4)  IP(127.0.0.0)",
            std::regex(R"(^Account-generated:  Time\((\d+)/(\d+)/(\d+)/(\d+)/(\d+)\)  IP\(127\.0\.0\.0\)$)"),
            '/'};
    }
    return {"file-saved-date: 2006 3 2 22 4",
            std::regex(R"(^file-saved-date: (\d+) (\d+) (\d+) (\d+) (\d+)$)"), ' '};
}

std::vector<std::string> split_lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (auto at = bytes.find(line_end); at != std::string::npos; at = bytes.find(line_end, from)) {
        lines.push_back(bytes.substr(from, at - from));
        from = at + line_end.size();
    }
    lines.push_back(bytes.substr(from));  // after the last CR LF: empty, or a last line without one
    return lines;
}

std::string join_lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) bytes += line_end;
        bytes += lines[i];
    }
    return bytes;
}

std::string shown(const std::string& line) {
    std::string text;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            text += hex;
        } else {
            text += c;
        }
    }
    return "\"" + text + "\"";
}

}  // namespace

std::string Minute::describe() const {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}

Minute local_minute_now() {
    const std::time_t now = std::time(nullptr);
    struct tm parts {};
    ::localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min};
}

std::string golden_image(RecordKind kind) {
    return read_file(fs::path(GOLDEN_DIR) /
                     (kind == RecordKind::account ? "account_acct.txt" : "gm_GmName.txt"));
}

::testing::AssertionResult record_matches(const fs::path& path, RecordKind kind, const LineChanges& changes,
                                          const Minute& before, const Minute& after) {
    std::error_code missing;
    if (!fs::is_regular_file(path, missing))
        return ::testing::AssertionFailure() << "no record file " << path;
    const std::string bytes = read_file(path);
    std::vector<std::string> actual = split_lines(bytes);
    std::vector<std::string> expected = split_lines(golden_image(kind));

    for (const auto& [old_line, new_line] : changes) {
        const auto count = std::count(expected.begin(), expected.end(), old_line);
        if (count != 1) {
            return ::testing::AssertionFailure()
                   << "the test's change names " << shown(old_line) << ", which the golden "
                   << "image holds " << count << " times";
        }
        *std::find(expected.begin(), expected.end(), old_line) = new_line;
    }

    // The time stamp: taken from the record, checked, then put into the expectation.
    const StampFormat format = stamp_format(kind);
    const auto stamp_line = std::find(expected.begin(), expected.end(), format.golden_text);
    const auto index = static_cast<std::size_t>(stamp_line - expected.begin());
    if (index >= actual.size()) {
        return ::testing::AssertionFailure()
               << path << " has " << actual.size() << " lines, too few for its time stamp";
    }
    std::smatch numbers;
    if (!std::regex_match(actual[index], numbers, format.pattern)) {
        return ::testing::AssertionFailure()
               << path << " line " << index + 1 << " is " << shown(actual[index])
               << ", not a time stamp line like " << shown(format.golden_text);
    }
    Minute stamp{};
    int* fields[] = {&stamp.year, &stamp.month, &stamp.day, &stamp.hour, &stamp.minute};
    std::string canonical;
    for (int i = 0; i < 5; ++i) {
        *fields[i] = std::stoi(numbers[i + 1].str());
        if (i > 0) canonical += format.separator;
        canonical += std::to_string(*fields[i]);
    }
    if (numbers[1].str() + format.separator + numbers[2].str() + format.separator + numbers[3].str() +
            format.separator + numbers[4].str() + format.separator + numbers[5].str() !=
        canonical) {
        return ::testing::AssertionFailure()
               << path << ": the time stamp in " << shown(actual[index]) << " has leading zeros";
    }
    if (stamp < before || after < stamp) {
        return ::testing::AssertionFailure()
               << path << ": the time stamp " << stamp.describe() << " is not within the run, "
               << before.describe() << " to " << after.describe();
    }
    *stamp_line = actual[index];

    if (actual == expected && bytes == join_lines(expected)) return ::testing::AssertionSuccess();
    for (std::size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const std::string got = i < actual.size() ? shown(actual[i]) : "(no line)";
        const std::string want = i < expected.size() ? shown(expected[i]) : "(no line)";
        if (got != want) {
            return ::testing::AssertionFailure()
                   << path << " differs from the golden image at line " << i + 1
                   << " (lines split at CR LF):\n  got:  " << got << "\n  want: " << want << "\n  ("
                   << bytes.size() << " bytes on disk)";
        }
    }
    return ::testing::AssertionFailure() << path << " differs from the golden image";
}

}  // namespace e2e
