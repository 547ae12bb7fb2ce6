#include "platform/temporary_names.hpp"

#include <algorithm>

namespace platform {
namespace {

// A younger temporary file may be another run's write in progress.
constexpr std::int64_t leftover_age_seconds = std::int64_t{10} * 60;

constexpr std::size_t posix_suffix_length = 6;

constexpr std::string_view record_extension = ".txt";

bool is_alphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_digits(std::string_view text, std::string_view digits) {
    return !text.empty() && text.find_first_not_of(digits) == std::string_view::npos;
}

}  // namespace

bool is_temporary_name(std::string_view name) {
    if (!name.starts_with(temporary_prefix)) return false;
    const std::string_view suffix = name.substr(temporary_prefix.size());
    if (suffix.ends_with(record_temporary_suffix)) {
        const std::string_view record = suffix.substr(0, suffix.size() - record_temporary_suffix.size());
        return record.size() > record_extension.size() && record.ends_with(record_extension);
    }
    if (suffix.size() == posix_suffix_length && std::all_of(suffix.begin(), suffix.end(), is_alphanumeric)) {
        return true;
    }
    const std::size_t hyphen = suffix.find('-');
    return hyphen != std::string_view::npos && is_digits(suffix.substr(0, hyphen), "0123456789abcdef") &&
           is_digits(suffix.substr(hyphen + 1), "0123456789");
}

bool is_leftover(std::string_view name, std::int64_t written, std::int64_t now) {
    return is_temporary_name(name) && now - written > leftover_age_seconds;
}

}  // namespace platform
