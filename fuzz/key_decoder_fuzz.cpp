// Any byte stream, fed to the terminal key decoder as the POSIX backend feeds
// it: one byte at a time while more may follow, then what is left once the
// input has ended, with key strings of a terminal's description beside its
// own forms. Every call must stay inside its bytes, the decoder must always
// move on, and the keys it gives must be keys the console could give.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "platform/posix/key_decoder.hpp"

namespace {

using platform::DecodeResult;
using platform::DecodeStatus;
using platform::DescribedKey;

constexpr unsigned char escape = 0x1B;

// The decoder waits for at most this many bytes of one key (Alt, then an
// escape sequence of at most 32 bytes); a decoder that waited longer could be
// held forever by a stream that never completes a key.
constexpr std::size_t longest_wait = 64;

// Strings of the kinds that descriptions give: one that the decoder's own
// forms read otherwise, one they lack, Alt held in the form itself, a key
// that gives nothing, one that is the start of another.
const DescribedKey described[] = {
    {"\x1bOt", platform::function_key(5)},
    {"\x1b[a", platform::extended_keys::up, platform::shift_modifier},
    {"\x1b"
     "b",
     platform::extended_keys::left, 3},
    {"\x1bOP", std::nullopt},
    {"\x1b[3~", platform::extended_keys::del},
    {"\x1b[3~~", platform::extended_keys::insert},
};

void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "key decoder: %s\n", what);
    std::abort();
}

bool is_code(int code) {
    return code >= 0 && code <= 255;
}

// ESC, a second ESC when Alt is held, "[" or "O", and at least one byte more.
bool is_escape_sequence(std::span<const unsigned char> key) {
    if (key.size() < 3 || key[0] != escape) return false;
    const std::size_t introducer = key[1] == escape ? 2 : 1;
    return key.size() >= introducer + 2 && (key[introducer] == '[' || key[introducer] == 'O');
}

void check_result(std::span<const unsigned char> input, const DecodeResult& result, bool more_may_follow) {
    if (result.status == DecodeStatus::need_more) {
        check(more_may_follow, "asks for more bytes after the end of input");
        check(input.size() < longest_wait, "waits for more bytes without end");
        return;
    }
    check(result.length >= 1 && result.length <= input.size(), "a length outside its input");
    if (result.status != DecodeStatus::key) return;

    const auto [first, second] = result.codes;
    check(is_code(first), "a first code outside 0 to 255");
    check(second == -1 || (is_code(second) && (first == 0 || first == 224)),
          "a second code after a first code other than 0 or 224");
    // A recognised sequence is a key without a character: two codes, apart
    // from Shift+Tab, which the console gives as Tab, and the application
    // keypad's keys (SS3), which it gives as their characters.
    const auto key = input.first(result.length);
    if (is_escape_sequence(key)) {
        const bool keypad = key[key[1] == escape ? 2 : 1] == 'O';
        check(second != -1 || first == '\t' || keypad, "a sequence that gives one code");
    }
}

// Each call sees a copy of exactly its bytes, so that AddressSanitizer
// catches any read past them.
DecodeResult decode(const std::vector<unsigned char>& pending, bool more_may_follow) {
    const auto exact = std::make_unique<unsigned char[]>(pending.size());
    std::memcpy(exact.get(), pending.data(), pending.size());
    const std::span<const unsigned char> input(exact.get(), pending.size());
    const DecodeResult result = platform::decode_terminal_key(input, more_may_follow, described);
    check_result(input, result, more_may_follow);
    return result;
}

void drop_front(std::vector<unsigned char>& pending, std::size_t count) {
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<unsigned char> pending;
    for (const std::uint8_t byte : std::span(data, size)) {
        pending.push_back(byte);
        while (!pending.empty()) {
            const DecodeResult result = decode(pending, true);
            if (result.status == DecodeStatus::need_more) break;
            drop_front(pending, result.length);
        }
    }
    while (!pending.empty()) drop_front(pending, decode(pending, false).length);
    return 0;
}
