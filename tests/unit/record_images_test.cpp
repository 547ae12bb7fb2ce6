#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "records/account_file.hpp"
#include "records/gm_file.hpp"
#include "records/record_writer.hpp"

namespace {

constexpr platform::Timestamp march_2006{2006, 3, 2, 22, 4};

std::string golden(const std::string& name) {
    std::ifstream file(std::string(GOLDEN_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string line(const std::string& image, int number) {
    std::size_t begin = 0;
    for (int i = 1; i < number; ++i) begin = image.find('\n', begin) + 1;
    return image.substr(begin, image.find('\n', begin) - begin);
}

TEST(AccountImage, MatchesTheGoldenFileByteForByte) {
    const std::string image = records::account_image({"acct", "pw", "mail", "quiz", "answer"}, march_2006);
    EXPECT_EQ(image.size(), 482U);
    EXPECT_EQ(records::disk_bytes(image), golden("account_acct.txt"));
}

TEST(AccountImage, TimeStampHasNoLeadingZerosAndEmptyEntriesKeepTheirSpace) {
    const std::string image = records::account_image({"acct", "pw", "", "", ""}, {2007, 1, 5, 3, 9});
    EXPECT_EQ(line(image, 1), "Account-generated:  Time(2007/1/5/3/9)  IP(127.0.0.0)");
    EXPECT_EQ(line(image, 20), "account-Email = ");
    EXPECT_EQ(line(image, 21), "account-Quiz = ");
    EXPECT_EQ(line(image, 22), "account-Answer = ");
}

TEST(AccountImage, LongEntriesAreWrittenWhole) {
    const std::string answer(5000, 'r');
    const std::string image = records::account_image({"acct", "pw", "mail", "quiz", answer}, march_2006);
    EXPECT_EQ(line(image, 22), "account-Answer = " + answer);
    EXPECT_EQ(line(image, 23), "account-created-by = Tolvenmark");
}

TEST(GmImage, MatchesTheGoldenFileByteForByte) {
    const std::string image = records::gm_image({"gmacct", "GmName"}, march_2006);
    EXPECT_EQ(image.size(), 2662U);
    EXPECT_EQ(image.back(), ']');  // no line feed after [EOF]
    EXPECT_EQ(records::disk_bytes(image), golden("gm_GmName.txt"));
}

TEST(GmImage, TimeStampHasNoLeadingZeros) {
    const std::string image = records::gm_image({"a", "b"}, {2010, 10, 1, 0, 0});
    EXPECT_EQ(line(image, 3), "file-saved-date: 2010 10 1 0 0");
}

TEST(DiskBytes, EveryLineFeedBecomesCarriageReturnLineFeedAndNothingIsAdded) {
    EXPECT_EQ(records::disk_bytes(""), "");
    EXPECT_EQ(records::disk_bytes("a\n\nb"), "a\r\n\r\nb");
    EXPECT_EQ(records::disk_bytes("\n"), "\r\n");
}

}  // namespace
