// Any name: the bucket of a first byte of 128 or more is negative, and a name
// that the name check accepts gives, in both trees, a record path inside its
// bucket folder whose file name Windows would not open as a device.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "records/bucket.hpp"
#include "records/record_name.hpp"
#include "text/entry_text.hpp"

namespace {

void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "record path: %s\n", what);
    std::abort();
}

// Windows' device names, with the superscript digits of its ANSI code page.
const std::set<std::string>& device_names() {
    static const std::set<std::string> names = [] {
        std::set<std::string> all = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
        for (const std::string port : {"COM", "LPT"}) {
            for (const char digit : std::string_view("123456789\xB9\xB2\xB3")) all.insert(port + digit);
        }
        return all;
    }();
    return names;
}

// Windows opens the device whatever the case, whatever follows the first dot,
// and with spaces between the name and that dot.
bool opens_a_device(std::string_view file_name) {
    std::string stem(file_name.substr(0, file_name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return device_names().contains(stem);
}

// Code page 1252 as far as the name check reads it: A0 to FF are the
// characters of the same value, the superscript digits among them.
const text::CodePage& western_code_page() {
    static const text::CodePage code_page = [] {
        text::CodePage made;
        for (char32_t byte = 0xA0; byte <= 0xFF; ++byte) made.characters[byte] = byte;
        return made;
    }();
    return code_page;
}

void check_bucket(std::string_view name) {
    const int bucket = records::bucket_number(name);
    if (name.empty()) {
        check(bucket == 0, "an empty name outside bucket 0");
        return;
    }
    const auto first = static_cast<unsigned char>(name.front());
    check(first >= 128 ? bucket == first - 256 : bucket == first,
          "a bucket other than the first byte's signed value");
}

// Every character that would take a Windows or POSIX path elsewhere: the two
// separators, a drive or stream colon, and the end of a C string.
constexpr std::string_view path_changers("/\\:\0", 4);

void check_record_path(std::string_view tree, std::string_view name) {
    const std::string folder = records::bucket_folder(tree, records::bucket_number(name)) + '/';
    const std::string path = records::bucket_path(tree, name);
    check(path.starts_with(folder), "a record path outside its bucket folder");
    const std::string_view file_name = std::string_view(path).substr(folder.size());
    check(file_name.find_first_of(path_changers) == std::string_view::npos,
          "a file name that leaves its folder");
    check(file_name != "." && file_name != "..", "a file name that is a folder");
    check(!opens_a_device(file_name), "a file name that Windows opens as a device");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    check_bucket(name);
    if (records::unsafe_name_reason(name, western_code_page())) return 0;
    check_record_path(records::account_tree, name);
    check_record_path(records::character_tree, name);
    return 0;
}
