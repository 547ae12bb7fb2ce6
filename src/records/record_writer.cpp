#include "records/record_writer.hpp"

#include "console/output.hpp"
#include "records/bucket.hpp"
#include "records/record_name.hpp"
#include "records/write_failure.hpp"
#include "text/line_ends.hpp"
#include "text/messages.hpp"

namespace records {

std::string disk_bytes(std::string_view image) {
    return text::with_crlf_line_ends(image);
}

StoreOutcome store_record(std::string_view tree, std::string_view name, const ImageAssembler& assemble,
                          platform::Replacing replacing) {
    if (const auto reason = unsafe_name_reason(name, platform::entry_code_page())) {
        return {'\n' +
                text::failure_message(
                    text::record_not_stored,
                    "el nombre " + text::unbreakable('"' + console::escaped(name) + '"') + " " + *reason,
                    "Vuelva a crear el registro con otro nombre.", text::nothing_changed)};
    }
    const std::string folder = bucket_folder(tree, bucket_number(name));
    const std::string image = assemble(platform::local_time());
    const auto outcome = platform::replace_file(folder, record_file_name(name), disk_bytes(image), replacing);
    if (outcome.error == platform::FileError::none) {
        if (!outcome.replaced_empty_file) return {};
        return {std::nullopt, "\nSe ha reemplazado un archivo vacio que dejo una escritura interrumpida."};
    }
    return {'\n' + write_failure(tree, name, outcome)};
}

void write_record(std::string_view tree, std::string_view name, const ImageAssembler& assemble,
                  std::string_view success_message, const console::Dialogue& dialogue) {
    // A name cut to its limit is another name than the one typed: it may
    // make a new record, never take the place of one.
    const auto replacing =
        dialogue.record_name_cut() ? platform::Replacing::refused : platform::Replacing::allowed;
    StoreOutcome stored{dialogue.refusal()};
    if (!stored.failure) stored = store_record(tree, name, assemble, replacing);
    if (stored.failure) {
        console::print(*stored.failure);
    } else {
        console::print(success_message);
        console::print(text::wrapped(stored.notice + dialogue.notices(bucket_path(tree, name))));
    }
    console::print("\n");
    console::pause();
}

}  // namespace records
