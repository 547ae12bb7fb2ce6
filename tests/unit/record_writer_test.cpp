#include "records/record_writer.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "files.hpp"
#include "temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using harness::entries_of;

records::ImageAssembler fixed_image(std::string image) {
    return [image = std::move(image)](const platform::Timestamp&) { return image; };
}

// What the end-to-end scenarios cannot easily lay on the program: a folder
// in the record's place, a name too long for the file system, and names that
// are refused before anything is built. Each test runs in a data folder of
// its own, as the program does.
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

TEST_F(StoreRecord, FailureAfterTheTemporaryFileRemovesIt) {
    // A folder where the record should be: the rename fails after the write.
    fs::create_directory("Account/AscII97/acct.txt");
    // And a name too long for the file system.
    for (const auto& [name, reason] :
         {std::pair<std::string, std::string_view>{"acct", "ya existe una carpeta"},
          {"a" + std::string(300, 'b'), "demasiado largo"}}) {
        const auto failure = records::store_record("Account", name, fixed_image("new\n")).failure;
        ASSERT_TRUE(failure);
        EXPECT_NE(failure->find(reason), std::string::npos) << *failure;
        EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{"acct.txt"});
    }

    // A C1 control in the name (0x9D in 1252) refuses it, and never reaches the terminal.
    const std::string c1 =
        records::store_record("Account", "x\xc2\x9d", fixed_image("x\n")).failure.value_or("");
    EXPECT_NE(c1.find("\\x9D\" no es valido: contiene un caracter de control"), std::string::npos) << c1;
    EXPECT_EQ(c1.find('\x9d'), std::string::npos) << c1;
}

TEST_F(StoreRecord, UnsafeNameIsRefusedBeforeAnythingHappens) {
    bool assembled = false;
    const auto failure =
        records::store_record("Account", "a/../../evil", [&assembled](const platform::Timestamp&) {
            assembled = true;
            return std::string("x");
        }).failure;
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("\"a/../../evil\""), std::string::npos) << *failure;
    EXPECT_NE(failure->find("No se ha guardado nada"), std::string::npos) << *failure;
    EXPECT_FALSE(assembled);
    EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{});
    EXPECT_EQ(entries_of("."), std::vector<std::string>{"Account"});

    const auto device = records::store_record("Account", "nul", fixed_image("x\n")).failure;
    ASSERT_TRUE(device);
    EXPECT_NE(device->find("\"nul\""), std::string::npos) << *device;
}

}  // namespace
