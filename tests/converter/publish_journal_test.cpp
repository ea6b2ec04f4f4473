// The publish journal's record: its exact bytes, the check value, and every kind of damage or
// hostile content refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "converter/publish_journal.h"

namespace dunax::converter {
namespace {

TEST(PublishJournalTest, ASetOfThreeSegmentsIsRenamesThenRemovalsByNumber) {
  EXPECT_EQ(crc32Of("123456789"), 0xCBF43926u);  // the standard check of CRC-32
  // The check value is the CRC-32 of the bytes before it, in capital hexadecimal.
  EXPECT_EQ(encodeJournal(journalForSet(2, 9)), "DUNAXPUB1RRRDDDDDDD" "2C338C93\n");
  for (int extra = 0; extra <= 9; ++extra) {
    PublishJournal read{};
    std::string why;
    ASSERT_TRUE(decodeJournal(encodeJournal(journalForSet(extra, 9)), 9, read, why)) << why;
    EXPECT_EQ(read.extraSegments(), extra);
  }
  // A name without ".bi" has segment 0 alone: nothing else is removed.
  EXPECT_EQ(encodeJournal(journalForSet(0, 0)).substr(9, 10), "R---------");
}

TEST(PublishJournalTest, DamagedOrHostileJournalsAreRefused) {
  const std::string good = encodeJournal(journalForSet(1, 9));
  auto withActions = [](const char* actions) {  // a well-made record of other actions
    PublishJournal journal{};
    std::memcpy(journal.actions, actions, sizeof journal.actions);
    return encodeJournal(journal);
  };
  struct Case {
    const char *what, *why;
    std::string bytes;
    int lastNameable;
  } const cases[] = {
      {"empty", "length is 0 bytes", "", 9},
      {"cut short", "length is 20 bytes", good.substr(0, 20), 9},
      {"a path instead", "not a publish journal", "../../etc/passwd\n" + std::string(11, ' '), 9},
      {"another version", "not a publish journal", "DUNAXPUB2" + good.substr(9), 9},
      // Segment 1 removed instead of renamed: the check value tells.
      {"flipped action", "check value", good.substr(0, 10) + 'D' + good.substr(11), 9},
      {"renames with a hole", "renames from segment 0", withActions("R-RDDDDDDD"), 9},
      {"unknown action", "renames from segment 0", withActions("RRX-------"), 9},
      {"segment 0 removed", "renames from segment 0", withActions("DRRRRRRRRR"), 9},
      {"a segment the name cannot have", "segment 1, which this name cannot have", good, 0},
  };
  for (const Case& c : cases) {
    PublishJournal read{};
    std::string why;
    EXPECT_FALSE(decodeJournal(c.bytes, c.lastNameable, read, why)) << c.what;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.what << ": " << why;
  }
}

}  // namespace
}  // namespace dunax::converter
