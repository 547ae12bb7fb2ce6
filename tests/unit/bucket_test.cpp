#include "records/bucket.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Bucket, NumberIsTheSignedValueOfTheFirstByte) {
    EXPECT_EQ(records::bucket_number("acct"), 97);
    EXPECT_EQ(records::bucket_number("GmName"), 71);
    EXPECT_EQ(records::bucket_number("Zed"), 90);
    EXPECT_EQ(records::bucket_number(""), 0);
    EXPECT_EQ(records::bucket_number("\xe9t\xe9"), -23);
    EXPECT_EQ(records::bucket_number("\xf1"), -15);
    EXPECT_EQ(records::bucket_number("\xa4"), -92);
    EXPECT_EQ(records::bucket_number("\x80"), -128);
    EXPECT_EQ(records::bucket_number("\xff"), -1);
    EXPECT_EQ(records::bucket_number("\x7f"), 127);
}

TEST(Bucket, PathIsTreeBucketAndNameWithTheSeparator) {
    EXPECT_EQ(records::bucket_path(records::account_tree, "acct"), "Account/AscII97/acct.txt");
    EXPECT_EQ(records::bucket_path(records::character_tree, "GmName"), "Character/AscII71/GmName.txt");
    EXPECT_EQ(records::bucket_path(records::account_tree, "\xe9t"), "Account/AscII-23/\xe9t.txt");
    EXPECT_EQ(records::bucket_folder(records::account_tree, 249), "Account/AscII249");
}

}  // namespace
