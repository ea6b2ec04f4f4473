// The executor's fixed records, byte for byte: message block, window block, start-up block.
#include <gtest/gtest.h>

#include <cstring>

#include "executor/literals.h"
#include "executor/records.h"

namespace dunax::executor {
namespace {

TEST(Records, MessageBlockHoldsItsFixedValuesLittleEndian) {
  MessageBlock block;
  std::memset(block.bytes, 0xAA, sizeof block.bytes);
  initialiseMessageBlock(block);
  const unsigned char head[14] = {0, 0, 10, 0, 2, 0, 0, 0, 0xE8, 3, 0xE8, 3, 0, 0};
  EXPECT_EQ(0, std::memcmp(block.bytes, head, sizeof head));
  for (std::size_t i = 14; i < 1014; ++i) ASSERT_EQ(0, block.bytes[i]) << i;
}

TEST(Records, PostTextIsTheRecordFollowedBy744Spaces) {
  MessageBlock block;
  initialiseMessageBlock(block);
  block.bytes[12] = 7;
  block.bytes[13] = 7;
  ExchangeRecord record;
  for (std::size_t i = 0; i < 256; ++i) record.bytes[i] = static_cast<char>(i);
  fillForPost(block, record);
  EXPECT_EQ(0, block.bytes[12]);
  EXPECT_EQ(0, block.bytes[13]);
  EXPECT_EQ(0, std::memcmp(block.text(), record.bytes, 256));
  for (std::size_t i = 256; i < 1000; ++i) ASSERT_EQ(' ', block.text()[i]) << i;
  EXPECT_EQ(10, block.bytes[2]);  // the fixed values stay
}

TEST(Records, FetchClearsTheTextAndTheFieldInFrontOfIt) {
  MessageBlock block;
  initialiseMessageBlock(block);
  std::memset(block.bytes + 12, 'x', 1002);
  clearForFetch(block);
  for (std::size_t i = 12; i < 1014; ++i) ASSERT_EQ(0, block.bytes[i]) << i;
  EXPECT_EQ(0xE8, block.bytes[10]);
}

TEST(Records, WindowBlockIsExact) {
  WindowBlock block;
  std::memset(block.bytes, 0x55, sizeof block.bytes);
  fillWindowBlock(block);
  unsigned char expected[188] = {0, 0, 10, 0, 38, 0, 38, 0, 100, 0, 100, 0};
  expected[20] = 80;
  expected[22] = 25;
  std::memcpy(expected + 50, "Dummy2  ", 8);
  expected[79] = 'x';
  EXPECT_EQ(0, std::memcmp(block.bytes, expected, sizeof expected));
}

TEST(Records, StartUpBlockIsZeroThenVrd) {
  StartUpBlock block;
  fillStartUpBlock(block);
  EXPECT_EQ(0, std::memcmp(block.bytes, "\0\0VRD     ", 10));
}

TEST(Records, LiteralsHaveTheirExactWidths) {
  EXPECT_EQ(5u, std::strlen(text::kStatusOk));
  EXPECT_EQ(5u, std::strlen(text::kStatusError));
  EXPECT_EQ(4u, std::strlen(text::kTypeEnd));
  EXPECT_EQ(8u, std::strlen(text::kLibraryName));
  EXPECT_EQ(8u, std::strlen(text::kFallbackLibraryName));
  EXPECT_EQ(0, std::strcmp(text::kStatusError, "ERRO "));
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
