// The publish journal of a transfer set: a small record written beside the set before its
// segments are renamed into place, naming every rename and removal by segment number only (a
// run that reads it derives the names itself, so a journal can point at nothing but the
// segments of its own name), with a check value so that a damaged journal is recognised.
//
// Layout (28 bytes, text, one line):
//   offset  0, 8 bytes: "DUNAXPUB"
//   offset  8, 1 byte:  the version, "1"
//   offset  9, 10 bytes: one action per segment 0 to 9: "R" rename the segment's temporary
//                        file over its name, "D" remove the segment's name, "-" leave it
//   offset 19, 8 bytes: the check value: CRC-32 (IEEE) of bytes 0-18, 8 upper-case hex digits
//   offset 27, 1 byte:  a line feed
// The renames are those of segments 0 to n (n the set's number of extra segments), every later
// segment that can be named is removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dunax::converter {

inline constexpr std::size_t kJournalSegments = 10;

namespace journal_layout {
inline constexpr char kMagic[] = "DUNAXPUB";
inline constexpr std::size_t kMagicOffset = 0;
inline constexpr std::size_t kMagicLength = 8;
inline constexpr std::size_t kVersionOffset = 8;
inline constexpr char kVersion = '1';
inline constexpr std::size_t kActionsOffset = 9;
inline constexpr std::size_t kCheckOffset = kActionsOffset + kJournalSegments;
inline constexpr std::size_t kCheckLength = 8;
inline constexpr std::size_t kLength = kCheckOffset + kCheckLength + 1;
static_assert(sizeof kMagic - 1 == kMagicLength);
static_assert(kActionsOffset == kVersionOffset + 1);
static_assert(kLength == 28);
}  // namespace journal_layout

inline constexpr char kRenameSegment = 'R';
inline constexpr char kRemoveSegment = 'D';
inline constexpr char kLeaveSegment = '-';

struct PublishJournal {
  char actions[kJournalSegments];
  // The set's number of extra segments once the journal is carried out (the last "R").
  int extraSegments() const;
};

// The journal of a set of extraSegments extra segments (0 to 9) whose segments up to
// lastNameable can be named (0 when the name has no ".bi"): renames 0..extraSegments, removes
// the later nameable ones.
PublishJournal journalForSet(int extraSegments, int lastNameable);

// The 28 bytes of journal.
std::string encodeJournal(const PublishJournal& journal);

// Reads a journal's bytes; lastNameable as for journalForSet. Returns false, with why in
// words, when the bytes are not a whole journal of this layout and version, the check value
// does not match, the renames do not run from segment 0 without a hole, a rename or removal
// follows a segment left alone, or an action is about a segment the name cannot reach.
bool decodeJournal(std::string_view bytes, int lastNameable, PublishJournal& journal,
                   std::string& why);

// CRC-32 (IEEE 802.3, reflected, as zlib computes it) of bytes.
std::uint32_t crc32Of(std::string_view bytes);

}  // namespace dunax::converter
