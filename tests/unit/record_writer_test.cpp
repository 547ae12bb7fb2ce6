#include "records/record_writer.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "files.hpp"
#include "records/write_failure.hpp"
#include "temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using harness::entries_of;

// What the end-to-end scenarios cannot easily lay on the program: a folder
// in the record's place, a name too long for the file system, buckets of
// either tree that no option makes, and names that are refused before
// anything is built. Each test runs in a data folder of its own, as the
// program does.
class StoreRecord : public testing::Test {
protected:
    void SetUp() override {
        fs::current_path(data_.path());
        fs::create_directories("Account/AscII97");
    }

    void TearDown() override { fs::current_path(previous_); }

    const fs::path previous_ = fs::current_path();
    harness::TempDir data_{"qkeditor-test"};
};

// A failure removes the temporary file, and says why and what to do next
// (for a bucket that option "1" does not make, the command that does); a
// name that is unsafe (a C1 control, 0x9D in 1252, never reaches the
// terminal) is refused before the record is built, and is shown whole,
// never split at its spaces. Nothing else changes.
TEST_F(StoreRecord, AFailedOrRefusedWriteSaysWhyAndWhatToDoAndChangesNothing) {
    // A folder where the record should be.
    fs::create_directory("Account/AscII97/acct.txt");
    // clang-format off
    for (const auto& [tree, name, said, built] : {
             std::tuple<std::string_view, std::string, std::string_view, bool>{"Account", "acct", "ya existe una carpeta", true},
             {"Account", "a" + std::string(300, 'b'), "demasiado largo", true},
             {"Account", "\xf1" "andu", "registro:\n  mkdir Account/AscII-15\n", true},
             {"Character", "GmName", "registro:\n  mkdir -p Character/AscII71\n", true},
             {"Account", "a/../../evil, un nombre con espacios hasta el final de la linea", "el nombre\n\"a/../../evil, un nombre con espacios hasta el final de la linea\" contiene", false},
             {"Account", "nul", "el nombre \"nul\" Windows lo reserva", false},
             {"Account", "x\xc2\x9d", "\"x\xc2\\x9D\" contiene el caracter \"\\x9D\",\nque es de control", false}}) {
        // clang-format on
        bool assembled = false;
        const auto image = [&](const platform::Timestamp&) { return assembled = true, std::string("x\n"); };
        const std::string failure = records::store_record(tree, name, image).failure.value_or("");
        EXPECT_NE(failure.find(said), std::string::npos) << failure;
        EXPECT_TRUE(failure.ends_with("\nNo se ha cambiado nada.") &&
                    failure.find('\x9d') == std::string::npos)
            << failure;
        EXPECT_EQ(assembled, built) << failure;
        EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{"acct.txt"});
        EXPECT_EQ(entries_of("."), std::vector<std::string>{"Account"});
    }
    // Every reason a write can fail, whatever it left, in lines that fit an
    // 80-column console, ending by saying that nothing changed, or what was left.
    for (int error = 1; error <= static_cast<int>(platform::FileError::other); ++error) {
        for (const int left : {0, 1, 2}) {
            platform::FileOutcome outcome{static_cast<platform::FileError>(error), 1234};
            outcome.left = static_cast<platform::LeftUnderName>(left);
            // clang-format off
            outcome.new_content_at = outcome.missing_folder = outcome.not_a_folder = "Character/AscII71/GmName.nuevo";
            outcome.user = "operador", outcome.owner = outcome.listed_name = "administrador";
            const std::string said = records::write_failure("Character", "GmNameGmNa", outcome);
            std::istringstream lines(said);
            for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79U) << said;
            EXPECT_TRUE(left == 0 ? said.ends_with("\nNo se ha cambiado nada.") : said.find("\nHa quedado ") != std::string::npos) << said;
            // clang-format on
        }
    }
}

}  // namespace
