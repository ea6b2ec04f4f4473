// Windows-1252 and UTF-8: the converter's texts reach the terminal as UTF-8, and what a user
// types reaches the records as Windows-1252.
#include <gtest/gtest.h>

#include <string>

#include "platform/text_encoding.h"

namespace dunax::platform {
namespace {

std::string utf8(const std::string& windows1252) {
  std::string out;
  appendUtf8FromWindows1252(windows1252.data(), windows1252.size(), out);
  return out;
}

TEST(TextEncodingTest, Windows1252ToUtf8KeepsOneCharacterPerByte) {
  EXPECT_EQ(utf8("Convers\xE3o"), "Convers\xC3\xA3o");
  EXPECT_EQ(utf8("N\xC3O"), "N\xC3\x83O");
  EXPECT_EQ(utf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(utf8(std::string("a\0b", 3)), "a b");
  EXPECT_EQ(utf8("\x81\x1B"), "??");
}

TEST(TextEncodingTest, Utf8ToWindows1252) {
  EXPECT_EQ(windows1252FromUtf8("Convers\xC3\xA3o"), "Convers\xE3o");
  EXPECT_EQ(windows1252FromUtf8("\xE2\x82\xAC 5"), "\x80 5");
  EXPECT_EQ(windows1252FromUtf8("\xE4\xB8\xAD"), "?");      // outside the code page
  EXPECT_EQ(windows1252FromUtf8("\xE3o"), "\xE3o");          // not UTF-8: taken as it is
  EXPECT_EQ(windows1252FromUtf8("\xC3"), "\xC3");            // cut short
}

}  // namespace
}  // namespace dunax::platform
