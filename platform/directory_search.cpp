// The portable half of the directory search: wildcard matching, the packed FAT date and time
// and the entries' names in the record's form.
#include "platform/directory_search.h"

#include "platform/host_path.h"
#include "platform/text_encoding.h"

namespace dunax::platform {
namespace {

// Plain "*" and "?" matching with backtracking to the last "*".
bool matchesPlainWildcard(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starAt = std::string_view::npos;
  std::size_t nameAtStar = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      nameAtStar = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++nameAtStar;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

constexpr int kFirstFatYear = 1980;
constexpr int kLastFatYear = 2107;

}  // namespace

bool matchesWildcard(std::string_view pattern, std::string_view name) {
  if (matchesPlainWildcard(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return matchesPlainWildcard(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

std::uint16_t packFatDate(const LocalTime& time) {
  if (time.year < kFirstFatYear) return static_cast<std::uint16_t>((1 << 5) | 1);
  if (time.year > kLastFatYear) {
    return static_cast<std::uint16_t>(((kLastFatYear - kFirstFatYear) << 9) | (12 << 5) | 31);
  }
  return static_cast<std::uint16_t>(((time.year - kFirstFatYear) << 9) | ((time.month & 0x0F) << 5) |
                                    (time.day & 0x1F));
}

std::uint16_t packFatTime(const LocalTime& time) {
  if (time.year < kFirstFatYear) return 0;
  if (time.year > kLastFatYear) return static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29);
  return static_cast<std::uint16_t>(((time.hour & 0x1F) << 11) | ((time.minute & 0x3F) << 5) |
                                    ((time.second / 2) & 0x1F));
}

void nameEntryFromHost(DirectoryEntry& entry, std::string_view hostName) {
  Expected<std::string> name = recordNameFromHost(hostName);
  entry.nameFitsRecords = name.ok();
  // Only a UTF-8 host has names with no record form.
  entry.name = name ? std::move(*name) : windows1252TextFromUtf8(hostName);
}

}  // namespace dunax::platform
