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

// What a limited entry is to its record, which decides what the operator is
// told when it was cut to its limit.
enum class LimitedEntry {
    record_name,  // names the record's file
    secret,       // never shown: only how much of it was kept
    shown,        // written into the record, and shown as kept
};

class Dialogue {
public:
    // Starts the dialogue's lines (see begin_dialogue).
    Dialogue();

    // Prints `prompt` and reads a line into `field`, a field that outlives
    // the dialogue. `label` names the entry at the start of a sentence,
    // with a capital letter ("El email").
    void ask(std::string_view prompt, std::string& field, std::string_view label);

    // The same through read_limited_entry, with its limit and message.
    void ask_limited(std::string_view prompt, std::string& field, std::size_t limit, std::string_view message,
                     std::string_view label, LimitedEntry kind);

    // The message that refuses the record, starting with a line feed: an
    // entry was not given (the input ended), or one holds a control character or
    // a character that file names cannot carry. Empty when the entries may
    // be written.
    std::optional<std::string> refusal() const;

    // Whether the record's name was cut to its limit: it is then another
    // name than the one typed, and may not replace a record of that name.
    bool record_name_cut() const;

    // What the operator is told once the record is written to `record_path`:
    // each entry that was cut, on a line of its own.
    std::string notices(std::string_view record_path) const;

private:
    struct Entry {
        std::string_view label;
        const std::string* field;
        LineRead read;
        std::optional<LimitedEntry> limited;
    };

    std::vector<Entry> entries_;
};

}  // namespace console
