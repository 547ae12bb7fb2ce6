#include "records/record_writer.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "files.hpp"
#include "temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using harness::entries_of;
using harness::read_file;
using harness::write_file;

records::ImageAssembler fixed_image(std::string image) {
    return [image = std::move(image)](const platform::Timestamp&) { return image; };
}

// Each test runs in a data folder of its own, as the program does.
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

TEST_F(StoreRecord, NewRecordHoldsTheImageWithCarriageReturnsAndNothingElse) {
    const auto failure = records::store_record("Account", "acct", fixed_image("one\ntwo\n"));
    EXPECT_EQ(failure, std::nullopt);
    EXPECT_EQ(read_file("Account/AscII97/acct.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{"acct.txt"});
}

TEST_F(StoreRecord, ImageIsBuiltFromTheClockReadAtWritingTime) {
    platform::Timestamp seen{};
    records::store_record("Account", "acct", [&seen](const platform::Timestamp& time) {
        seen = time;
        return std::string("x");
    });
    EXPECT_GE(seen.year, 2024);
    EXPECT_GE(seen.month, 1);
    EXPECT_LE(seen.month, 12);
}

TEST_F(StoreRecord, ReplacementIsWholeAndKeepsThePermissions) {
    write_file("Account/AscII97/acct.txt", std::string(1000, 'o'));
    ::chmod("Account/AscII97/acct.txt", 0640);
    EXPECT_EQ(records::store_record("Account", "acct", fixed_image("new\n")), std::nullopt);
    EXPECT_EQ(read_file("Account/AscII97/acct.txt"), "new\r\n");
    struct stat info {};
    ASSERT_EQ(::stat("Account/AscII97/acct.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640U);
    EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{"acct.txt"});
}

TEST_F(StoreRecord, MissingBucketFolderIsNamedAndNothingIsCreated) {
    const auto failure = records::store_record("Account", "Zed", fixed_image("x\n"));
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("Account/AscII90/Zed.txt"), std::string::npos) << *failure;
    EXPECT_NE(failure->find("no existe la carpeta Account/AscII90"), std::string::npos) << *failure;
    EXPECT_FALSE(fs::exists("Account/AscII90"));

    const auto no_tree = records::store_record("Character", "Zed", fixed_image("x\n"));
    ASSERT_TRUE(no_tree);
    EXPECT_NE(no_tree->find("no existe la carpeta Character/AscII90"), std::string::npos) << *no_tree;
    EXPECT_FALSE(fs::exists("Character"));
}

TEST_F(StoreRecord, UnwritableFolderLeavesTheOldRecordWholeAndNoTemporaryFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    write_file("Account/AscII97/acct.txt", "old\r\n");
    fs::permissions("Account/AscII97", fs::perms::owner_read | fs::perms::owner_exec);
    const auto failure = records::store_record("Account", "acct", fixed_image("new\n"));
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("permiso"), std::string::npos) << *failure;
    EXPECT_EQ(read_file("Account/AscII97/acct.txt"), "old\r\n");
    EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{"acct.txt"});
}

TEST_F(StoreRecord, FailureAfterTheTemporaryFileRemovesIt) {
    // A folder where the record should be: the rename fails after the write.
    fs::create_directory("Account/AscII97/acct.txt");
    const auto failure = records::store_record("Account", "acct", fixed_image("new\n"));
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("ya existe una carpeta"), std::string::npos) << *failure;
    EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{"acct.txt"});

    const std::string long_name = "a" + std::string(300, 'b');
    const auto too_long = records::store_record("Account", long_name, fixed_image("x\n"));
    ASSERT_TRUE(too_long);
    EXPECT_NE(too_long->find("demasiado largo"), std::string::npos) << *too_long;
    EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{"acct.txt"});
}

TEST_F(StoreRecord, UnsafeNameIsRefusedBeforeAnythingHappens) {
    bool assembled = false;
    const auto failure =
        records::store_record("Account", "a/../../evil", [&assembled](const platform::Timestamp&) {
            assembled = true;
            return std::string("x");
        });
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("\"a/../../evil\""), std::string::npos) << *failure;
    EXPECT_NE(failure->find("No se ha guardado nada"), std::string::npos) << *failure;
    EXPECT_FALSE(assembled);
    EXPECT_EQ(entries_of("Account/AscII97"), std::vector<std::string>{});
    EXPECT_EQ(entries_of("."), std::vector<std::string>{"Account"});

    const auto device = records::store_record("Account", "nul", fixed_image("x\n"));
    ASSERT_TRUE(device);
    EXPECT_NE(device->find("\"nul\""), std::string::npos) << *device;
}

}  // namespace
