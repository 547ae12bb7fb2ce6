// One run of a dialogue whose entries go into a record: it reads them, and
// says whether they may be written.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/lines.hpp"

namespace console {

class Dialogue {
public:
    // Starts the dialogue's lines (see begin_dialogue).
    Dialogue();

    // Prints `prompt` and reads a line into `field`, a field that outlives
    // the dialogue. `label` names the entry at the start of a sentence
    // ("El email").
    void ask(std::string_view prompt, std::string& field, std::string_view label);

    // The same through read_limited_entry, with its limit and message.
    void ask_limited(std::string_view prompt, std::string& field, std::size_t limit, std::string_view message,
                     std::string_view label);

    // The message that refuses the record, starting with a line feed: an
    // entry was not given (the input ended), or one holds a control byte or
    // a character that file names cannot carry. Empty when the entries may
    // be written.
    std::optional<std::string> refusal() const;

    // What the operator is told once the record is written: each entry that
    // was cut at the line bound, on a line of its own.
    std::string notices() const;

private:
    struct Entry {
        std::string_view label;
        const std::string* field;
        LineRead read;
    };

    void note(std::string_view label, const std::string& field, const LineRead& read);

    std::vector<Entry> entries_;
};

}  // namespace console
