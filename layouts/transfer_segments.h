// The names of a transfer file's segments, as the converter writes them and the manager looks
// for them: segment 0 is the data file name up to its first space (at most 50 bytes) followed by
// ".bin"; segment k (1 to 9) is segment 0's name with the character three places after its
// first ".bi" (starting within positions 1 to 46) replaced by the digit k. Works on the name's
// bytes in place, so that a fixed record field needs no heap.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace dunax::layouts {

// The most extra segments a transfer file has (.bi1 to .bi9).
inline constexpr int kMostExtraSegments = 9;
// The data file name part of segment 0's name, in bytes.
inline constexpr std::size_t kSegmentDataNameWidth = 50;
// ".bi" is looked for at positions 1 to 46 of the name.
inline constexpr std::size_t kSegmentMarkLastStart = 46;
inline constexpr std::string_view kFirstSegmentSuffix = ".bin";

// The files beside a transfer set. A segment being written in direction "B" lies under its
// name followed by kPartialSuffix until the run succeeds; the lock that keeps a second run of
// the transfer name away, and the publish journal (written under its own name followed by
// kPartialSuffix first), lie beside segment 0 under its name followed by theirs.
inline constexpr char kPartialSuffix[] = ".dunax-part";
inline constexpr char kLockSuffix[] = ".dunax-lock";
inline constexpr char kJournalSuffix[] = ".dunax-journal";

// Returns the data file name's part of segment 0's name: up to its first space, at most 50 bytes.
constexpr std::string_view segmentDataName(std::string_view dataFileName) {
  return dataFileName.substr(0, dataFileName.find(' ')).substr(0, kSegmentDataNameWidth);
}

// Returns the 0-based start of the first ".bi" of name starting within positions 1 to 46, or -1
// when there is none (then only segment 0 can be named).
constexpr int segmentMark(std::string_view name) {
  for (std::size_t start = 0; start < kSegmentMarkLastStart && start + 3 <= name.size(); ++start) {
    if (name.substr(start, 3) == ".bi") return static_cast<int>(start);
  }
  return -1;
}

// Turns segment 0's name (in place) into the name of segment number (1 to 9): returns false,
// and leaves name as it was, when name has no ".bi" to mark the segment. The replaced character
// lies inside the name: ".bin" ends segment 0's name.
constexpr bool markSegment(std::span<char> name, int number) {
  const int mark = segmentMark(std::string_view(name.data(), name.size()));
  if (mark < 0) return false;
  name[static_cast<std::size_t>(mark) + 3] = static_cast<char>('0' + number);
  return true;
}

// Returns the segment k (1 to 9) whose name is segment 0's own name: the character three places
// after the first ".bi" of segment 0's name firstName is already the digit k (data file "q.bi1":
// segment 0 and segment 1 are both "q.bi1.bin"). 0 when every segment has a name of its own.
constexpr int segmentNamedAsFirst(std::string_view firstName) {
  const int mark = segmentMark(firstName);
  if (mark < 0) return 0;
  const char digit = firstName[static_cast<std::size_t>(mark) + 3];
  return digit >= '1' && digit <= '9' ? digit - '0' : 0;
}

// The rule on the examples it is known by.
static_assert(segmentDataName("clientes.dat resto") == "clientes.dat");
static_assert(segmentMark("dados.binario.bin") == 5);
static_assert(segmentNamedAsFirst("q.bi1.bin") == 1);
static_assert(segmentNamedAsFirst("q.dat.bin") == 0);

}  // namespace dunax::layouts
