// Finding the leftovers of killed runs in folders and removing those that no run needs.
#include "manager/clean_up.h"

#include <set>

#include "layouts/transfer_segments.h"
#include "platform/directory_search.h"
#include "platform/durable_files.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"
#include "platform/version.h"
#include "manager/leftovers.h"
#include "manager/operator_lines.h"
#include "manager/options.h"
#include "manager/outcome.h"
#include "manager/room.h"

namespace dunax::manager {
namespace {

constexpr char kJournalPartial[] = ".dunax-journal.dunax-part";

bool endsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string withoutEnd(const std::string& text, std::string_view end) {
  return text.substr(0, text.size() - end.size());
}

bool isSegmentDigit(char c) { return c >= '1' && c <= '9'; }

// The transfer names that an entry of the folder speaks of: itself, and itself without an
// ending of ours.
std::vector<std::string> transferNamesOfEntry(const std::string& entry) {
  std::vector<std::string> names = {entry, entry + std::string(layouts::kFirstSegmentSuffix)};
  for (const char* end : {kPartialSuffix, kLockSuffix, kJournalSuffix, kJournalPartial}) {
    if (endsWith(entry, end)) names.push_back(withoutEnd(entry, end));
  }
  return names;
}

// The data file (Windows-1252, its own name) whose run left the entry; empty when the entry is
// no leftover, or when whose it is cannot be told (*unknown is then set).
std::string dataNameOfEntry(const std::string& entry, const std::vector<std::string>& names,
                            bool* unknown) {
  *unknown = false;
  std::string transferName;
  if (endsWith(entry, kNewDataSuffix)) return withoutEnd(entry, kNewDataSuffix);
  if (endsWith(entry, kJournalPartial)) {
    transferName = withoutEnd(entry, kJournalPartial);
  } else if (endsWith(entry, kJournalSuffix)) {
    transferName = withoutEnd(entry, kJournalSuffix);
  } else if (endsWith(entry, kPartialSuffix)) {
    transferName = transferNameOfSegment(withoutEnd(entry, kPartialSuffix), names);
    *unknown = transferName.empty();
  }
  if (!endsWith(transferName, layouts::kFirstSegmentSuffix)) {
    *unknown = *unknown || !transferName.empty();
    return {};
  }
  return withoutEnd(transferName, layouts::kFirstSegmentSuffix);
}

struct Tally {
  std::size_t removed = 0;
  std::uint64_t freed = 0;
  std::size_t left = 0;
  bool quiet = false;

  void say(const std::string& line) const {
    if (!quiet) tellOperator(line);
  }
};

// Removes what killed runs of one data file left in folder, under its lock.
void cleanUpDataFile(const std::string& folder, const std::string& dataName, Tally* tally) {
  std::string shown;
  platform::appendUtf8FromWindows1252(dataName.data(), dataName.size(), shown);
  const std::vector<Leftover> leftovers = findLeftovers(folder, dataName);
  if (leftovers.empty()) return;
  platform::FileLock lock;
  const platform::Status locked = takeTransferLock(folder, dataName, &lock);
  std::string kept;
  if (locked.is(platform::StatusCode::Busy)) {
    kept = "a conversion of " + shown + " is running (it holds its lock)";
  } else if (!locked.ok()) {
    kept = "the lock of " + shown + "'s transfer set cannot be taken (" + locked.message() + ")";
  } else {
    for (const Leftover& leftover : leftovers) {
      if (leftover.journal) {
        kept = "the publish of " + shown + " that its journal " + leftover.path +
               " describes is unfinished: convert " + shown + " again (either direction) to "
               "complete it";
      }
    }
  }
  for (const Leftover& leftover : leftovers) {
    if (!kept.empty()) {
      tally->say("left " + leftover.path + ": " + kept);
      ++tally->left;
      continue;
    }
    if (platform::Status removed = platform::removeFileIfPresent(leftover.path.c_str());
        !removed.ok()) {
      tally->say("cannot remove " + leftover.path + ": " + removed.message());
      ++tally->left;
      continue;
    }
    tally->say("removed " + leftover.path + " (" + bytesText(leftover.bytes) + ")");
    ++tally->removed;
    tally->freed += leftover.bytes;
  }
}

// The entries of a folder, or the failure to read it.
platform::Expected<std::vector<platform::DirectoryEntry>> entriesOf(const std::string& folder) {
  const platform::Expected<std::string> record = platform::recordNameFromHost(folder);
  if (!record) return record.status();
  return platform::searchDirectory(*record + (endsWith(*record, "/") ? "*" : "/*"));
}

// Cleans one folder, whose entries were read.
void cleanUpFolder(const std::string& folder,
                   const std::vector<platform::DirectoryEntry>& entries, Tally* tally) {
  std::vector<std::string> names;
  for (const platform::DirectoryEntry& entry : entries) {
    if (entry.nameFitsRecords && !entry.isDirectory) names.push_back(entry.name);
  }
  std::set<std::string> dataNames;
  for (const std::string& name : names) {
    bool unknown = false;
    const std::string dataName = dataNameOfEntry(name, names, &unknown);
    if (!dataName.empty()) dataNames.insert(dataName);
    if (unknown) {
      tally->say("left " + hostPathIn(folder, name) + ": which file's run left it cannot be "
                 "told; remove it by hand when no conversion uses it");
      ++tally->left;
    }
  }
  for (const std::string& dataName : dataNames) cleanUpDataFile(folder, dataName, tally);
}

}  // namespace

bool asksForCleanUp(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--") return false;
    if (argument == "--clean-up") return true;
  }
  return false;
}

std::string transferNameOfSegment(const std::string& segmentName,
                                  const std::vector<std::string>& folderNames) {
  const int mark = layouts::segmentMark(segmentName);
  const std::size_t size = segmentName.size();
  if (!endsWith(segmentName, layouts::kFirstSegmentSuffix)) {
    // The mark in the ending itself: "clientes.dat.bi3".
    if (mark >= 0 && static_cast<std::size_t>(mark) + 4 == size && isSegmentDigit(segmentName.back())) {
      return segmentName.substr(0, size - 1) + "n";
    }
    return {};
  }
  const auto marked = static_cast<std::size_t>(mark) + 3;
  if (mark < 0 || marked + 1 == size || !isSegmentDigit(segmentName[marked])) return segmentName;
  // The mark inside the data file's name ("dados.bi2ario.bin"): its own character is read from
  // a name of the folder.
  std::string found;
  for (const std::string& entry : folderNames) {
    for (const std::string& name : transferNamesOfEntry(entry)) {
      if (name.size() != size || isSegmentDigit(name[marked]) ||
          name.compare(0, marked, segmentName, 0, marked) != 0 ||
          name.compare(marked + 1, std::string::npos, segmentName, marked + 1) != 0) {
        continue;
      }
      if (!found.empty() && found != name) return {};  // two sets could have left it
      found = name;
    }
  }
  return found;
}

int runCleanUp(const std::vector<std::string>& arguments) {
  std::vector<std::string> folders;
  bool quiet = false;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      folders.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--quiet") {
      quiet = true;
    } else if (argument == "-h" || argument == "--help") {
      writeLines(helpText(), Stream::Output);
      return kExitAllConverted;
    } else if (argument == "--version") {
      writeLines(std::string("dunaxconv (dunax) ") + platform::kDunaxVersion, Stream::Output);
      return kExitAllConverted;
    } else if (argument != "--clean-up") {
      sayError("--clean-up takes folders only, not " + argument);
      return kExitBadUsage;
    }
  }
  if (folders.empty()) {
    sayError("--clean-up needs at least one folder");
    return kExitBadUsage;
  }
  // Every folder is read before anything is removed: a folder that cannot be read is bad usage.
  std::vector<std::vector<platform::DirectoryEntry>> listings;
  for (const std::string& folder : folders) {
    platform::Expected<std::vector<platform::DirectoryEntry>> entries = entriesOf(folder);
    if (!entries) {
      sayError("the folder " + folder + " cannot be read: " + entries.status().message());
      return kExitBadUsage;
    }
    listings.push_back(std::move(*entries));
  }
  Tally tally;
  tally.quiet = quiet;
  for (std::size_t at = 0; at < folders.size(); ++at) cleanUpFolder(folders[at], listings[at], &tally);
  tellOperator("clean-up: " + std::to_string(tally.removed) +
               (tally.removed == 1 ? " file" : " files") + " removed, " + bytesText(tally.freed) +
               " freed; " + std::to_string(tally.left) + " left");
  return tally.left == 0 ? kExitAllConverted : kExitSomeSkipped;
}

}  // namespace dunax::manager
