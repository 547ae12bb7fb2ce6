#include "records/folders.hpp"

#include <string>

#include "console/output.hpp"
#include "platform/platform.hpp"
#include "records/bucket.hpp"

namespace records {

void create_folders() {
    console::clear_screen();
    platform::make_folder(std::string(account_tree));
    for (int number = first_made_bucket; number <= last_made_bucket; ++number) {
        console::print("Creando AscII" + std::to_string(number) + "...\n");
        platform::make_folder(bucket_folder(account_tree, number));
    }
    // The leftovers of interrupted writes in every bucket that can hold
    // records, of both trees: the one sweep that lists whole folders.
    for (const std::string_view tree : {account_tree, character_tree}) {
        for (int number = -128; number <= 127; ++number)
            platform::remove_leftovers(bucket_folder(tree, number));
    }
    console::print("\n");
    console::pause();
}

}  // namespace records
