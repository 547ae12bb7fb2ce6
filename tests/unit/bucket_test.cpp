#include "records/bucket.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Bucket, NumberIsTheSignedValueOfTheFirstByte) {
    // clang-format off
    for (const auto& [name, number] : {std::pair{"acct", 97}, {"GmName", 71}, {"Zed", 90}, {"", 0}, {"\xe9t\xe9", -23},
                                       {"\xf1", -15}, {"\xa4", -92}, {"\x80", -128}, {"\xff", -1}, {"\x7f", 127}})
        EXPECT_EQ(records::bucket_number(name), number) << testing::PrintToString(name);
    // clang-format on
}

TEST(Bucket, PathIsTreeBucketAndNameWithTheSeparator) {
    EXPECT_EQ(records::bucket_path(records::account_tree, "acct"), "Account/AscII97/acct.txt");
    EXPECT_EQ(records::bucket_path(records::character_tree, "GmName"), "Character/AscII71/GmName.txt");
    EXPECT_EQ(records::bucket_path(records::account_tree, "\xe9t"), "Account/AscII-23/\xe9t.txt");
    EXPECT_EQ(records::bucket_folder(records::account_tree, 249), "Account/AscII249");
}

}  // namespace
