#include "platform/posix/key_decoder.hpp"

#include <algorithm>

#include "text/entry_text.hpp"

namespace platform {
namespace {

constexpr unsigned char escape = 0x1B;
constexpr unsigned char delete_byte = 0x7F;
constexpr int backspace = 8;
constexpr int unknown_character = '?';

// Longest escape sequence worth waiting for; anything longer is dropped.
constexpr std::size_t longest_sequence = 32;

DecodeResult key(std::size_t length, KeyPress codes) {
    return {DecodeStatus::key, length, codes};
}

DecodeResult skipped(std::size_t length) {
    return {DecodeStatus::skipped, length};
}

DecodeResult need_more() {
    return {DecodeStatus::need_more};
}

// A key press, or nothing for a key that the console gives nothing for.
DecodeResult pressed(std::size_t length, KeyPress codes) {
    return codes == no_key ? skipped(length) : key(length, codes);
}

// A character key. A UTF-8 character is one key with its Latin-1 code, or "?"
// beyond Latin-1, as the console's conversion to a code page gives it; a byte
// that does not start valid UTF-8 is a key of its own (a Latin-1 terminal).
DecodeResult decode_character(std::span<const unsigned char> in, bool more_may_follow) {
    const unsigned char lead = in[0];
    if (lead == delete_byte) return key(1, {backspace});
    const text::Utf8Character character =
        text::next_utf8_character({reinterpret_cast<const char*>(in.data()), in.size()});
    if (character.length == 0) return more_may_follow ? need_more() : key(1, {lead});
    if (!character.valid) return key(1, {lead});
    const char32_t code = character.code_point;
    return key(character.length, {code <= 0xFF ? static_cast<int>(code) : unknown_character});
}

// A control sequence by its syntax, in bytes from its ESC: ESC [ or ESC O,
// parameter bytes, intermediate bytes, a final byte. Open while it has not
// ended yet; a byte that cannot be in it ends it before that byte.
struct SequenceExtent {
    std::size_t length = 0;
    bool open = false;
};

SequenceExtent control_sequence(std::span<const unsigned char> in) {
    if (in.size() < 2 || (in[1] != '[' && in[1] != 'O')) return {};
    std::size_t i = 2;
    if (in[1] == '[' && i < in.size() && in[i] == '[') ++i;  // the Linux console's F1 to F5
    const std::size_t parameters = i;
    while (i < in.size() && in[i] >= 0x30 && in[i] <= 0x3F) ++i;
    // rxvt's "$" ends a sequence, where it would otherwise be an intermediate byte.
    if (in[1] == '[' && i > parameters && i < in.size() && in[i] == '$') return {i + 1};
    while (i < in.size() && in[i] >= 0x20 && in[i] <= 0x2F) ++i;
    if (i == in.size()) return {i, true};
    return {in[i] >= 0x40 && in[i] <= 0x7E ? i + 1 : i};
}

// How far bytes from an ESC reach as one key: the longest string of the
// table that they make, or a whole control sequence where that is longer;
// lengths count Alt's ESC before them, where there is one.
struct Reach {
    bool alt = false;
    std::size_t length = 0;         // 0: neither
    const TableKey* key = nullptr;  // null: no string of the table, or a longer sequence
    bool open = false;              // the bytes may still grow into a longer one
};

Reach reach_of(const KeyTable& table, std::span<const unsigned char> in) {
    Reach reach;
    reach.alt = in.size() > 1 && in[1] == escape;
    const auto own = in.subspan(reach.alt ? 1 : 0);
    if (own.size() == 1) {
        reach.open = true;  // ESC alone starts every string
        return reach;
    }
    const KeyTable::Match match = table.match(own);
    const SequenceExtent sequence = control_sequence(own);
    reach.open = match.starts_longer || sequence.open;
    const std::size_t longest = std::max(match.length, sequence.length);
    if (longest > 0) reach.length = longest + (reach.alt ? 1 : 0);
    if (match.length > 0 && match.length >= sequence.length) reach.key = match.key;
    return reach;
}

DecodeResult with_prefix(DecodeResult result, std::size_t prefix) {
    if (result.status != DecodeStatus::need_more) result.length += prefix;
    return result;
}

// Escape: the key itself, the start of a key's string, or Alt held with a
// key, which sends ESC before the key's own bytes.
DecodeResult decode_escape(const KeyTable& table, std::span<const unsigned char> in, bool more_may_follow) {
    const Reach reach = reach_of(table, in);
    if (reach.open) {
        if (more_may_follow && in.size() < longest_sequence) return need_more();
        // Its wait ran out (or it grew too long): Escape, where it is ESC
        // alone (the first of two: Alt's); the key that the bytes make where
        // its string starts others; else a key cut short, dropped whole.
        DecodeResult result = in.size() == (reach.alt ? 2U : 1U) ? key(1, {escape})
                              : reach.key && reach.length == in.size()
                                  ? pressed(in.size(), reach.key->codes(reach.alt))
                                  : skipped(in.size());
        result.cut = true;
        return result;
    }
    if (reach.length > 0)
        return reach.key ? pressed(reach.length, reach.key->codes(reach.alt)) : skipped(reach.length);
    // Two Escape presses, the second one perhaps with Alt.
    if (reach.alt) return key(1, {escape});
    // Alt with a character key: the console gives the character itself.
    return with_prefix(decode_character(in.subspan(1), more_may_follow), 1);
}

}  // namespace

DecodeResult decode_terminal_key(const KeyTable& table, std::span<const unsigned char> input,
                                 bool more_may_follow) {
    if (input[0] == escape) return decode_escape(table, input, more_may_follow);
    return decode_character(input, more_may_follow);
}

std::chrono::milliseconds key_wait(const char* escdelay) {
    if (escdelay == nullptr || *escdelay == '\0') return default_key_wait;
    std::chrono::milliseconds::rep value = 0;
    for (const char* digit = escdelay; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') return default_key_wait;
        value = std::min(value * 10 + (*digit - '0'), longest_key_wait.count());
    }
    return std::chrono::milliseconds(value);
}

KeyDecoder::KeyDecoder(const KeyTable& table, std::chrono::milliseconds wait) : table_(table), wait_(wait) {}

void KeyDecoder::add(std::span<const unsigned char> bytes, std::chrono::milliseconds now) {
    if (cut_length_ > 0 && now > last_arrival_ + wait_ + cut_key_window) forget_cut();
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    last_arrival_ = now;
    wait_given_ = false;
}

KeyDecoder::Next KeyDecoder::next(std::chrono::milliseconds now) {
    // The wait has run out once it was given and its time has passed: with
    // no wait at all, the reader still looks once for bytes already there.
    const bool waited = wait_given_ && now >= last_arrival_ + wait_;
    const auto wait_for_more = [&] {
        wait_given_ = true;
        return Next{std::nullopt, std::max(last_arrival_ + wait_ - now, std::chrono::milliseconds(0))};
    };
    while (pending_.size() > cut_length_) {
        if (cut_length_ > 0) {
            const Rest rest = drop_rest_of_cut(waited);
            if (rest == Rest::awaited) return wait_for_more();
            if (rest == Rest::dropped) continue;
        }
        const DecodeResult result = decode_terminal_key(table_, pending_, !waited);
        if (result.status == DecodeStatus::need_more) return wait_for_more();
        if (result.cut) {
            keep_as_cut(result.length);
        } else {
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(result.length));
        }
        if (result.status == DecodeStatus::key) return {result.codes, std::nullopt};
    }
    return {};
}

// The bytes after a cut key are its rest where, with it, they make a longer
// string or sequence than it: dropped with it as far as they go (and kept as
// a cut key again where its wait ran out once more). A new key starts with
// ESC, or with anything else that does not continue the cut one.
KeyDecoder::Rest KeyDecoder::drop_rest_of_cut(bool waited) {
    const Reach reach = pending_[cut_length_] == escape ? Reach{} : reach_of(table_, pending_);
    if (!reach.open && reach.length <= cut_length_) {
        forget_cut();
        return Rest::none;
    }
    if (reach.open && !waited && pending_.size() < longest_sequence) return Rest::awaited;
    if (reach.open) {
        keep_as_cut(pending_.size());
    } else {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(reach.length));
        cut_length_ = 0;
    }
    return Rest::dropped;
}

// An over-long cut sequence keeps only its start and its last byte, all that
// tells what may still continue it.
void KeyDecoder::keep_as_cut(std::size_t length) {
    if (length > longest_sequence) {
        pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(longest_sequence - 1),
                       pending_.begin() + static_cast<std::ptrdiff_t>(length - 1));
        length = longest_sequence;
    }
    cut_length_ = length;
}

void KeyDecoder::forget_cut() {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(cut_length_));
    cut_length_ = 0;
}

}  // namespace platform
