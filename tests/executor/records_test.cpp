// The executor's fixed records, byte for byte: message block, window block, start-up block.
#include <gtest/gtest.h>

#include <cstring>

#include "executor/literals.h"
#include "executor/records.h"
#include "layouts/screen_functions.h"

namespace dunax::executor {
namespace {

TEST(Records, MessageBlockHoldsItsFixedValuesLittleEndian) {
  MessageBlock block;
  std::memset(layouts::bytesOf(block), 0xAA, sizeof block);
  layouts::setUpMessageBlock(block);
  const unsigned char head[14] = {0, 0, 10, 0, 2, 0, 0, 0, 0xE8, 3, 0xE8, 3, 0, 0};
  EXPECT_EQ(0, std::memcmp(layouts::bytesOf(block), head, sizeof head));
  for (std::size_t i = 14; i < 1014; ++i) ASSERT_EQ(0, layouts::bytesOf(block)[i]) << i;
}

TEST(Records, PostTextIsTheRecordFollowedBy744Spaces) {
  MessageBlock block;
  layouts::setUpMessageBlock(block);
  layouts::bytesOf(block)[12] = 7;
  layouts::bytesOf(block)[13] = 7;
  ExchangeRecord record;
  for (std::size_t i = 0; i < 256; ++i) layouts::bytesOf(record)[i] = static_cast<char>(i);
  fillForPost(block, record);
  EXPECT_EQ(0, layouts::bytesOf(block)[12]);
  EXPECT_EQ(0, layouts::bytesOf(block)[13]);
  EXPECT_EQ(0, std::memcmp(block.text, layouts::bytesOf(record), 256));
  for (std::size_t i = 256; i < 1000; ++i) ASSERT_EQ(' ', block.text[i]) << i;
  EXPECT_EQ(10, layouts::bytesOf(block)[2]);  // the fixed values stay
}

TEST(Records, FetchClearsTheTextAndTheFieldInFrontOfIt) {
  MessageBlock block;
  layouts::setUpMessageBlock(block);
  std::memset(layouts::bytesOf(block) + 12, 'x', 1002);
  clearForFetch(block);
  for (std::size_t i = 12; i < 1014; ++i) ASSERT_EQ(0, layouts::bytesOf(block)[i]) << i;
  EXPECT_EQ(0xE8, layouts::bytesOf(block)[10]);
}

TEST(Records, WindowRecordIsExact) {
  WindowRecord block;
  std::memset(layouts::bytesOf(block), 0x55, sizeof block);
  fillWindowBlock(block);
  unsigned char expected[188] = {0, 0, 10, 0, 38, 0, 38, 0, 100, 0, 100, 0};
  expected[20] = 80;
  expected[22] = 25;
  std::memcpy(expected + 50, "Dummy2  ", 8);
  expected[79] = 'x';
  EXPECT_EQ(0, std::memcmp(layouts::bytesOf(block), expected, sizeof expected));
}

TEST(Records, StartUpBlockIsZeroThenVrd) {
  StartUpBlock block;
  fillStartUpBlock(block);
  EXPECT_EQ(0, std::memcmp(layouts::bytesOf(block), "\0\0VRD     ", 10));
}

TEST(Records, LiteralsHaveTheirExactWidths) {
  EXPECT_EQ(5u, std::strlen(layouts::kReplyOk));
  EXPECT_EQ(5u, std::strlen(layouts::kReplyError));
  EXPECT_EQ(4u, std::strlen(layouts::kEndType));
  EXPECT_EQ(8u, std::strlen(layouts::kScreenLibraryName));
  EXPECT_EQ(8u, std::strlen(text::kFallbackLibraryName));
  EXPECT_EQ(0, std::strcmp(layouts::kReplyError, "ERRO "));
}

TEST(Records, PaddingAndNames) {
  char area[8];
  putPadded(area, sizeof area, "AB CD");
  EXPECT_EQ(0, std::memcmp(area, "AB CD   ", 8));
  EXPECT_EQ("AB", nameIn(area, sizeof area));
  putPadded(area, sizeof area, "ABCDEFGHIJ");
  EXPECT_EQ(0, std::memcmp(area, "ABCDEFGH", 8));
  EXPECT_EQ("ABCDEFGH", nameIn(area, sizeof area));
  EXPECT_FALSE(isBlank(area, sizeof area));
  putPadded(area, sizeof area, "");
  EXPECT_TRUE(isBlank(area, sizeof area));
}

}  // namespace
}  // namespace dunax::executor
