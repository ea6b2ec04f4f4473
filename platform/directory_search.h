// Directory search: the entries of one directory whose names match a pattern with "*" and "?",
// and the lookup of one name, each with its size (0 for a directory) and last-write time. The
// wildcard match and the packed FAT date and time are plain functions beside it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace dunax::platform {

// A local date and time broken into its fields (month and day from 1).
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct DirectoryEntry {
  std::string name;          // the entry's own name, no directory, in the record's form
  // False when the host's name has no Windows-1252 form: name then holds "?" in its place, a
  // text that names no file and never goes into a record or back to the host.
  bool nameFitsRecords = true;
  std::uint64_t size = 0;    // bytes; 0 for a directory
  bool isDirectory = false;
  LocalTime modified;        // last write, local time
};

// Lists the entries named by pattern, a name in the record's form (Windows-1252, "\" or "/"
// separators, maybe a drive or network name: platform/host_path.h): the directory part is taken
// literally (the current directory when there is none) and the last part may hold "*" and "?",
// matched against the entries' names in the record's form, character by character.
// "." and ".." are returned when they match, as the host lists them. An entry whose own name
// holds a "\" (a POSIX name no Windows host can have, which a record would read as a path) is
// never returned.
// Returns the matching entries sorted by name (none when nothing matches); InvalidName when the
// pattern is empty, holds a NUL or has no host form; the failure of opening the directory when
// it cannot be read.
Expected<std::vector<DirectoryEntry>> searchDirectory(std::string_view pattern);

// Looks up one name in the record's form (symbolic links followed).
// Returns its entry (name = the last part of the name's host form, in the record's form) when
// it exists; NotFound when it does not; InvalidName when the name is empty, holds a NUL or has
// no host form; the failure of the lookup when it cannot be reached.
Expected<DirectoryEntry> lookUpEntry(std::string_view name);

// Returns true when name matches pattern: "*" matches any run of characters (none included),
// "?" exactly one, anything else itself (case as given). A pattern ending in ".*" also matches
// names without a "." there, as "*.*" matches every name on the host this system comes from.
bool matchesWildcard(std::string_view pattern, std::string_view name);

// Gives entry its name and nameFitsRecords from the host's name of it (recordNameFromHost; the
// text to show, windows1252TextFromUtf8, when it has no record form). Both halves name their
// entries so.
void nameEntryFromHost(DirectoryEntry& entry, std::string_view hostName);

// Returns the packed FAT date: years since 1980 in bits 15-9, month in 8-5, day in 4-0.
// Dates before 1980 give 1980-01-01 and dates after 2107 give 2107-12-31, the form's limits.
std::uint16_t packFatDate(const LocalTime& time);

// Returns the packed FAT time: hours in bits 15-11, minutes in 10-5, seconds/2 in 4-0.
// Times whose date lies outside 1980-2107 give the time of the limit date (00:00:00 or
// 23:59:58).
std::uint16_t packFatTime(const LocalTime& time);

}  // namespace dunax::platform
