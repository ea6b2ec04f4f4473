// The publish journal's record: made, written out as bytes, read back and checked.
#include "converter/publish_journal.h"

#include <cstring>

namespace dunax::converter {
namespace {

namespace layout = journal_layout;

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string checkText(std::string_view covered) {
  std::uint32_t value = crc32Of(covered);
  std::string text(layout::kCheckLength, '0');
  for (std::size_t i = layout::kCheckLength; i-- > 0; value >>= 4) text[i] = kHexDigits[value & 15];
  return text;
}

}  // namespace

std::uint32_t crc32Of(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

int PublishJournal::extraSegments() const {
  int last = 0;
  for (std::size_t segment = 0; segment < kJournalSegments; ++segment) {
    if (actions[segment] == kRenameSegment) last = static_cast<int>(segment);
  }
  return last;
}

PublishJournal journalForSet(int extraSegments, int lastNameable) {
  PublishJournal journal;
  for (int segment = 0; segment < static_cast<int>(kJournalSegments); ++segment) {
    char action = kLeaveSegment;
    if (segment <= extraSegments) {
      action = kRenameSegment;
    } else if (segment <= lastNameable) {
      action = kRemoveSegment;
    }
    journal.actions[segment] = action;
  }
  return journal;
}

std::string encodeJournal(const PublishJournal& journal) {
  std::string bytes(layout::kMagic, layout::kMagicLength);
  bytes += layout::kVersion;
  bytes.append(journal.actions, kJournalSegments);
  bytes += checkText(bytes);
  bytes += '\n';
  return bytes;
}

bool decodeJournal(std::string_view bytes, int lastNameable, PublishJournal& journal,
                   std::string& why) {
  if (bytes.size() != layout::kLength) {
    why = "its length is " + std::to_string(bytes.size()) + " bytes, not " +
          std::to_string(layout::kLength);
    return false;
  }
  if (bytes.compare(layout::kMagicOffset, layout::kMagicLength, layout::kMagic) != 0 ||
      bytes[layout::kVersionOffset] != layout::kVersion || bytes.back() != '\n') {
    why = "it is not a publish journal of this version";
    return false;
  }
  if (bytes.substr(layout::kCheckOffset, layout::kCheckLength) !=
      checkText(bytes.substr(0, layout::kCheckOffset))) {
    why = "its check value does not match its contents";
    return false;
  }
  std::memcpy(journal.actions, bytes.data() + layout::kActionsOffset, kJournalSegments);
  // Renames from segment 0 on, then removals, then segments left alone: nothing else.
  int stage = 0;  // 0 renames, 1 removals, 2 left alone
  for (int segment = 0; segment < static_cast<int>(kJournalSegments); ++segment) {
    const char action = journal.actions[segment];
    const int actionStage =
        action == kRenameSegment ? 0 : action == kRemoveSegment ? 1 : action == kLeaveSegment ? 2 : -1;
    if (actionStage < 0 || actionStage < stage || (segment == 0 && actionStage != 0)) {
      why = "its actions are not renames from segment 0 on followed by removals";
      return false;
    }
    if (actionStage != 2 && segment > lastNameable) {
      why = "it names segment " + std::to_string(segment) + ", which this name cannot have";
      return false;
    }
    stage = actionStage;
  }
  return true;
}

}  // namespace dunax::converter
