// Edit formats: counts in "ZZZ ZZZ ZZ9", text in "X(040)", values without a format.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "suite/sp2/edit_format.h"

namespace dunax::sp2 {
namespace {

std::string edit(const std::string& format, const std::string& value, std::size_t shown) {
  std::string out(shown, '?');
  applyEditFormat(format.data(), format.size(), value.data(), value.size(), out.data(), shown);
  return out;
}

TEST(EditFormatTest, CountsAreGroupedWithLeadingZerosSuppressed) {
  EXPECT_EQ(edit("ZZZ ZZZ ZZ9", "000000000", 11), "          0");
  EXPECT_EQ(edit("ZZZ ZZZ ZZ9", "000000007", 11), "          7");
  EXPECT_EQ(edit("ZZZ ZZZ ZZ9", "001234567", 11), "  1 234 567");
  EXPECT_EQ(edit("ZZZ ZZZ ZZ9", "999999999", 11), "999 999 999");
  EXPECT_EQ(edit("ZZZ ZZZ ZZ9", "000001000", 11), "      1 000");
}

TEST(EditFormatTest, ShortValuesAlignRightAndZeroBytesCountAsZeros) {
  EXPECT_EQ(edit("ZZZ ZZZ ZZ9", "42", 11), "         42");
  EXPECT_EQ(edit("ZZZ ZZZ ZZ9", std::string(9, '\0'), 11), "          0");
}

TEST(EditFormatTest, OtherBytesInACountAreShownAsTheyAre) {
  EXPECT_EQ(edit("ZZZ ZZZ ZZ9", "0000ab012", 11), "     ab 012");
}

TEST(EditFormatTest, RepeatsAndNinesAndInsertions) {
  EXPECT_EQ(edit("Z(5)9", "000000", 6), "     0");
  EXPECT_EQ(edit("999", "7", 3), "007");
  EXPECT_EQ(edit("ZZ.ZZ9", "001234", 6), " 1.234");
  EXPECT_EQ(edit("ZZ.ZZ9", "000034", 6), "    34");
}

TEST(EditFormatTest, TextFormatsCopyPadAndCut) {
  EXPECT_EQ(edit("X(040)", "Menos de 30 Segundos", 40), "Menos de 30 Segundos" + std::string(20, ' '));
  EXPECT_EQ(edit("XXX", "002", 3), "002");
  EXPECT_EQ(edit("X(005)", "abcdefgh", 5), "abcde");
  EXPECT_EQ(edit("", "1 de 2    ", 10), "1 de 2    ");
  EXPECT_EQ(edit("X(001)", "0", 1), "0");
}

}  // namespace
}  // namespace dunax::sp2
