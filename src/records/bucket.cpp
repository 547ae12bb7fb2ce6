#include "records/bucket.hpp"

#include "platform/platform.hpp"
#include "text/entry_text.hpp"

namespace records {

int bucket_number(std::string_view name) {
    return text::first_byte_code(name);
}

bool made_by_option_one(std::string_view tree, int number) {
    return tree == account_tree && number >= first_made_bucket && number <= last_made_bucket;
}

std::string bucket_folder(std::string_view tree, int number) {
    std::string folder(tree);
    folder += platform::path_separator();
    folder += "AscII";
    folder += std::to_string(number);
    return folder;
}

std::string record_file_name(std::string_view name) {
    std::string file(name);
    file += ".txt";
    return file;
}

std::string bucket_path(std::string_view tree, std::string_view name) {
    std::string path = bucket_folder(tree, bucket_number(name));
    path += platform::path_separator();
    path += record_file_name(name);
    return path;
}

}  // namespace records
