// The inventory listing: "tmp" check, "COMUNS", then every "EMP???" directory and up to four
// levels of subdirectories below it, with fixed tables and no recursion. Names come from the
// directory search in Windows-1252; a file or directory whose host name has none is passed over.
#include "executor/inventory.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "executor/commands.h"
#include "executor/information.h"
#include "executor/literals.h"
#include "platform/directory_search.h"
#include "platform/host_path.h"
#include "platform/record_file.h"

namespace dunax::executor {
namespace {

constexpr std::size_t kArgument = kArgumentLength;
constexpr std::size_t kSizeDigits = 16;
// The reply's argument 1: the number of files listed, the work directory's date and time, and
// from position 57 the total of their sizes.
constexpr std::size_t kWorkTimesAt = kSizeDigits;
constexpr std::size_t kTotalSizeAt = 56;

// The listing file and what has been written to it.
class Listing {
 public:
  Listing() : file_(platform::Organization::LineSequential, kListingRecordLength) {}

  // Opens the listing for output or extend. Returns false when it cannot be opened.
  bool open(const std::string& hostName, platform::OpenMode mode) {
    status_ = file_.open(hostName.c_str(), mode);
    return status_.ok();
  }

  // Closes the listing. Returns false when what was written could not be kept.
  bool close() {
    if (!file_.isOpen()) return status_.ok();
    platform::FileStatus closed = file_.close();
    if (status_.ok()) status_ = closed;
    return status_.ok();
  }

  bool ok() const { return status_.ok(); }
  // The file status of the last operation, as 2 characters.
  std::string statusText() const { return std::string(status_.code, 2); }

  // Writes one record for a file of the given size at path (relative, "\" separators) unless
  // its name is not a data file's. The path is cut where the record ends.
  void write(std::uint64_t size, const std::string& directory, const std::string& name) {
    if (!status_.ok() || !isDataFileName(name.data(), name.size())) return;
    char record[kListingRecordLength];
    putDigits(record, kSizeDigits, size);
    std::string path = directory + "\\" + name;
    putPadded(record + kSizeDigits, kListingRecordLength - kSizeDigits, path);
    status_ = file_.write(record);
    if (status_.ok()) {
      ++count_;
      total_ += size;
    }
  }

  unsigned long long count() const { return count_; }
  unsigned long long total() const { return total_; }

 private:
  platform::RecordFile file_;
  platform::FileStatus status_{'3', '0'};
  unsigned long long count_ = 0;
  unsigned long long total_ = 0;
};

// A table of subdirectory names with room for a fixed number of them.
template <std::size_t N>
struct Table {
  std::array<std::string, N> names;
  std::size_t count = 0;
  void clear() {
    for (std::size_t i = 0; i < count; ++i) names[i].clear();
    count = 0;
  }
};

// Scans directory (relative, "\" separators): lists every file of size above zero and records
// the subdirectories not beginning with "." into table while it has room (table may be null:
// subdirectories are then ignored). Files are listed whatever the table holds; a directory
// that cannot be read lists nothing.
template <std::size_t N>
void scanDirectory(Listing& listing, const std::string& directory, Table<N>* table) {
  for (const platform::DirectoryEntry& entry :
       platform::searchDirectory(directory + text::kAllEntriesPattern).valueOr({})) {
    if (!listing.ok()) return;
    if (!entry.nameFitsRecords) continue;
    if (entry.isDirectory) {
      if (table != nullptr && !entry.name.empty() && entry.name[0] != '.' && table->count < N) {
        table->names[table->count++] = entry.name;
      }
    } else if (entry.size > 0) {
      listing.write(entry.size, directory, entry.name);
    }
  }
}

// Step 1: makes sure "tmp" is a directory. Returns false when a file is in the way (the flag
// is then "E"); otherwise the information layout of "tmp" is in argument 1.
bool checkWorkDirectory(Job& job) {
  putPadded(job.record.argument1, kArgument, text::kWorkDirectory);
  platform::DirectoryEntry entry;
  bool found = lookUpInformation(job, &entry);
  if (!found) {
    job.succeed();
    putPadded(job.record.argument1, kArgument, text::kWorkDirectory);
    makeDirectoryPath(job);
    platform::Expected<platform::DirectoryEntry> made =
        platform::lookUpEntry(text::kWorkDirectory);
    found = made.ok();
    if (found) entry = *made;
  }
  // A size in the layout, or an empty file named "tmp".
  const char* size = job.record.argument1;
  if (std::any_of(size, size + kSizeDigits, [](char c) { return c != '0'; }) ||
      (found && !entry.isDirectory)) {
    job.fail("a file named tmp is in the way of the work folder tmp");
    return false;
  }
  if (!found) job.fail("the work folder tmp could not be made");
  return true;
}

}  // namespace

bool isDataFileName(const char* name, std::size_t length) {
  const std::size_t looked = length < 10 ? length : 10;
  return std::memchr(name, '.', looked) == nullptr;
}

void listInventory(Job& job) {
  std::string listingName(nameIn(job.record.argument1, kArgument));
  const platform::Expected<std::string> hostName = platform::hostNameFromRecord(listingName);
  if (!hostName && !listingName.empty()) {  // no host form: an unmapped drive, a bad byte
    job.fail(listingName + ": " + hostName.status().message());
    return;
  }
  if (!checkWorkDirectory(job)) return;
  char workTimes[14];
  std::memcpy(workTimes, job.record.argument1 + kWorkTimesAt, sizeof workTimes);

  // The subdirectories of the walk, one table per level.
  Table<kLevel1Slots> level1;
  Table<kLevel2Slots> level2;
  Table<kLevel3Slots> level3;
  Table<kLevel4Slots> level4;

  Listing listing;
  bool usable = hostName.ok() && listing.open(*hostName, platform::OpenMode::Output);
  if (usable) {
    for (const platform::DirectoryEntry& entry :
         platform::searchDirectory(text::kCommonDirectoryPattern).valueOr({})) {
      if (!listing.ok()) break;
      if (entry.nameFitsRecords && !entry.isDirectory && entry.size > 0) {
        listing.write(entry.size, "COMUNS", entry.name);
      }
    }
    usable = listing.close();
  }

  if (usable) {
    for (const platform::DirectoryEntry& entry :
         platform::searchDirectory(text::kCompanyDirectoryPattern).valueOr({})) {
      if (level1.count == kLevel1Slots) break;
      if (entry.isDirectory && entry.nameFitsRecords) {  // files are passed over
        level1.names[level1.count++] = entry.name;
      }
    }
    usable = listing.open(*hostName, platform::OpenMode::Extend);
  }

  for (std::size_t m = 0; usable && m < level1.count && listing.ok(); ++m) {
    const std::string d1 = level1.names[m];
    level2.clear();
    scanDirectory(listing, d1, &level2);
    for (std::size_t i2 = 0; i2 < level2.count && listing.ok(); ++i2) {
      const std::string d2 = d1 + "\\" + level2.names[i2];
      level3.clear();
      scanDirectory(listing, d2, &level3);
      for (std::size_t i3 = 0; i3 < level3.count && listing.ok(); ++i3) {
        const std::string d3 = d2 + "\\" + level3.names[i3];
        level4.clear();
        scanDirectory(listing, d3, &level4);
        for (std::size_t i4 = 0; i4 < level4.count && listing.ok(); ++i4) {
          const std::string d4 = d3 + "\\" + level4.names[i4];
          scanDirectory<0>(listing, d4, nullptr);
        }
      }
    }
  }
  if (usable) usable = listing.close();
  if (!usable) {
    job.fail(listingName.empty() ? std::string("no listing file is named")
                                 : "the listing file " + listingName +
                                       " could not be written (file status " +
                                       listing.statusText() + ")");
  }

  char* argument = job.record.argument1;
  std::memset(argument, ' ', kArgument);
  putDigits(argument, kSizeDigits, listing.count());
  std::memcpy(argument + kWorkTimesAt, workTimes, sizeof workTimes);
  putDigits(argument + kTotalSizeAt, kSizeDigits, listing.total());
}

}  // namespace dunax::executor
