// Any byte stream, fed to the terminal key decoder, with key strings of a
// terminal's description beside its own forms in the prefix table:
// - one call at a time, as the decoder's reader makes them: one byte at a
//   time while more may follow, then what is left once the input has ended.
//   Every call must stay inside its bytes, the decoder must always move on,
//   and the keys it gives must be keys the console could give;
// - in pieces, with the time between them: a byte 0xFE and the byte after it
//   stand for a pause of that many 8 ms steps. Each pause shortened to within
//   the wait, the pieces must give the codes that the whole stream gives at
//   once; as they are, the decoder must never ask to wait longer than the
//   wait, and give keys the console could give.
#include <chrono>
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
using std::chrono::milliseconds;

constexpr unsigned char escape = 0x1B;
constexpr unsigned char pause_mark = 0xFE;
constexpr milliseconds pause_step{8};

// The decoder waits for at most this many bytes of one key (Alt, then an
// escape sequence of at most 32 bytes); a decoder that waited longer could be
// held forever by a stream that never completes a key.
constexpr std::size_t longest_wait = 64;

// Strings of the kinds that descriptions give: one that the decoder's own
// forms read otherwise, one they lack, Alt held in the form itself, a key
// that gives nothing, one that is the start of another, one that is no
// control sequence and waits for its last byte.
const DescribedKey described[] = {
    {"\x1bOt", platform::function_key(5)},
    {"\x1b[a", platform::extended_keys::up, platform::shift_modifier},
    {"\x1b"
     "b",
     platform::extended_keys::left, 3},
    {"\x1bOP", std::nullopt},
    {"\x1b[3~", platform::extended_keys::del},
    {"\x1b[3~~", platform::extended_keys::insert},
    {"\x1bp\r", platform::function_key(1)},
};

const platform::KeyTable& table() {
    static const platform::KeyTable keys(described);
    return keys;
}

void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "key decoder: %s\n", what);
    std::abort();
}

bool is_code(int code) {
    return code >= 0 && code <= 255;
}

void check_codes(const platform::KeyPress& codes) {
    const auto [first, second] = codes;
    check(is_code(first), "a first code outside 0 to 255");
    check(second == -1 || (is_code(second) && (first == 0 || first == 224)),
          "a second code after a first code other than 0 or 224");
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

    check_codes(result.codes);
    // A recognised sequence is a key without a character: two codes, apart
    // from Shift+Tab, which the console gives as Tab, and the application
    // keypad's keys (SS3), which it gives as their characters.
    const auto key = input.first(result.length);
    if (is_escape_sequence(key)) {
        const bool keypad = key[key[1] == escape ? 2 : 1] == 'O';
        check(result.codes.second != -1 || result.codes.first == '\t' || keypad,
              "a sequence that gives one code");
    }
}

// Each call sees a copy of exactly its bytes, so that AddressSanitizer
// catches any read past them.
DecodeResult decode(const std::vector<unsigned char>& pending, bool more_may_follow) {
    const auto exact = std::make_unique<unsigned char[]>(pending.size());
    std::memcpy(exact.get(), pending.data(), pending.size());
    const std::span<const unsigned char> input(exact.get(), pending.size());
    const DecodeResult result = platform::decode_terminal_key(table(), input, more_may_follow);
    check_result(input, result, more_may_follow);
    return result;
}

void drop_front(std::vector<unsigned char>& pending, std::size_t count) {
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(count));
}

void decode_call_by_call(std::span<const std::uint8_t> data) {
    std::vector<unsigned char> pending;
    for (const std::uint8_t byte : data) {
        pending.push_back(byte);
        while (!pending.empty()) {
            const DecodeResult result = decode(pending, true);
            if (result.status == DecodeStatus::need_more) break;
            drop_front(pending, result.length);
        }
    }
    while (!pending.empty()) drop_front(pending, decode(pending, false).length);
}

struct Piece {
    milliseconds gap;
    std::vector<unsigned char> bytes;
};

std::vector<Piece> pieces_of(std::span<const std::uint8_t> data) {
    std::vector<Piece> pieces(1);
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] != pause_mark || i + 1 == data.size()) {
            pieces.back().bytes.push_back(data[i]);
            continue;
        }
        // Pauses one after the other are one pause.
        const milliseconds pause = data[++i] * pause_step;
        if (pieces.back().bytes.empty()) {
            pieces.back().gap += pause;
        } else {
            pieces.push_back({pause, {}});
        }
    }
    return pieces;
}

// Every code that the decoder gives for the pieces, fed as the terminal
// reader feeds them, a byte at a time; with each pause cut to within the
// wait when `shortened`.
std::vector<int> decode_in_pieces(const std::vector<Piece>& pieces, bool shortened) {
    platform::KeyDecoder decoder(table(), platform::default_key_wait);
    std::vector<int> codes;
    milliseconds now{0};
    milliseconds arrival{0};
    const auto read_until = [&](milliseconds until) {
        bool waited_no_time = false;
        for (;;) {
            const auto next = decoder.next(now);
            if (next.key) {
                check_codes(*next.key);
                codes.push_back(next.key->first);
                if (next.key->second != -1) codes.push_back(next.key->second);
                waited_no_time = false;
                continue;
            }
            if (!next.wait) return;
            check(*next.wait >= milliseconds(0) && *next.wait <= platform::default_key_wait,
                  "a wait outside the key wait");
            // No wait at all: the reader looks once for bytes already there.
            check(!waited_no_time || *next.wait > milliseconds(0), "waits no time, again and again");
            waited_no_time = *next.wait == milliseconds(0);
            if (now + *next.wait >= until) return;
            now += *next.wait;
        }
    };
    for (const Piece& piece : pieces) {
        arrival += shortened ? piece.gap % platform::default_key_wait : piece.gap;
        for (const unsigned char byte : piece.bytes) {
            read_until(arrival);
            now = arrival;
            decoder.add({&byte, 1}, now);
        }
    }
    read_until(milliseconds::max() / 2);
    return codes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    decode_call_by_call(input);

    const std::vector<Piece> pieces = pieces_of(input);
    std::vector<Piece> whole(1);
    for (const Piece& piece : pieces)
        whole[0].bytes.insert(whole[0].bytes.end(), piece.bytes.begin(), piece.bytes.end());
    check(decode_in_pieces(pieces, true) == decode_in_pieces(whole, false),
          "a key split within its wait gives other codes than the key whole");
    decode_in_pieces(pieces, false);
    return 0;
}
