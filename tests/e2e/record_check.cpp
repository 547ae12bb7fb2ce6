#include "record_check.hpp"

#include <algorithm>
#include <ctime>

#ifndef GOLDEN_DIR
#error "GOLDEN_DIR must name tests/golden"
#endif

namespace e2e {
namespace {

constexpr std::string_view line_end = "\r\n";

// When the golden images were written.
constexpr Minute golden_minute{2006, 3, 2, 22, 4};

// The time stamp line of a record written in `minute`: plain numbers, no
// leading zeros.
std::string stamp_line(RecordKind kind, const Minute& minute) {
    const char separator = kind == RecordKind::account ? '/' : ' ';
    std::string fields;
    for (const int field : {minute.year, minute.month, minute.day, minute.hour, minute.minute}) {
        if (!fields.empty()) fields += separator;
        fields += std::to_string(field);
    }
    std::string line = kind == RecordKind::account ? "Account-generated:  Time(" : "file-saved-date: ";
    line += fields;
    if (kind == RecordKind::account) line += ")  IP(127.0.0.0)";
    return line;
}

Minute next_minute(const Minute& minute) {
    struct tm parts {};
    parts.tm_year = minute.year - 1900;
    parts.tm_mon = minute.month - 1;
    parts.tm_mday = minute.day;
    parts.tm_hour = minute.hour;
    parts.tm_min = minute.minute + 1;
    parts.tm_isdst = -1;
    std::mktime(&parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min};
}

// The lines between CR LFs; the last one is what follows the last CR LF.
std::vector<std::string> split_lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (auto at = bytes.find(line_end); at != std::string::npos; at = bytes.find(line_end, from)) {
        lines.push_back(bytes.substr(from, at - from));
        from = at + line_end.size();
    }
    lines.push_back(bytes.substr(from));
    return lines;
}

std::string shown(std::string_view line) {
    std::string quoted = "\"";
    quoted += harness::visible(line);
    return quoted + '"';
}

}  // namespace

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
    const std::vector<std::string> actual = split_lines(read_file(path));
    std::vector<std::string> expected = split_lines(golden_image(kind));
    for (const auto& [old_line, new_line] : changes) {
        const auto line = std::find(expected.begin(), expected.end(), old_line);
        if (line == expected.end()) {
            return ::testing::AssertionFailure() << "the golden image has no line " << shown(old_line);
        }
        *line = new_line;
    }
    // Written at some minute of the run, the record is the golden image with
    // that minute's time stamp.
    const auto stamp = std::find(expected.begin(), expected.end(), stamp_line(kind, golden_minute));
    for (Minute minute = before; !(after < minute); minute = next_minute(minute)) {
        *stamp = stamp_line(kind, minute);
        if (actual == expected) return ::testing::AssertionSuccess();
    }
    const auto [got, want] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << path << " differs from the golden image (time stamp from the end of the run) at line "
           << got - actual.begin() + 1 << ":\n  got:  " << (got == actual.end() ? "(no line)" : shown(*got))
           << "\n  want: " << (want == expected.end() ? "(no line)" : shown(*want));
}

}  // namespace e2e
