// The checks of --check beyond the up-front refusals: leftovers, running conversions, room.
#include "manager/check.h"

#include <map>

#include "layouts/request_block.h"
#include "layouts/transfer_segments.h"
#include "platform/file_identity.h"
#include "platform/free_space.h"
#include "manager/leftovers.h"
#include "manager/operator_lines.h"
#include "manager/outcome.h"
#include "manager/room.h"
#include "manager/segments.h"

namespace dunax::manager {
namespace {

// The outputs of the run's files that land on one file system.
struct FileSystemRoom {
  std::string folder;  // the first folder of the run on it, for the operator
  std::uint64_t needed = 0;
  bool exact = true;
  std::size_t files = 0;
};

std::string countText(std::size_t count, const char* thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string shownFolder(const DataFile& file) { return file.folder.empty() ? "." : file.folder; }

// The size of the file at a host path; 0 when it is not there.
std::uint64_t sizeAt(const std::string& path, bool* present) {
  platform::Expected<platform::DirectoryEntry> entry = lookUpHostPath(path);
  *present = entry && !entry->isDirectory;
  return *present ? entry->size : 0;
}

// The output's room for one file, or a problem when its input is not there.
RoomNeed needOf(const RunSettings& settings, const DataFile& file,
                std::vector<std::string>* problems) {
  bool present = false;
  if (settings.direction == 'B') {
    const std::string path = hostPathIn(file.folder, file.windows1252);
    const std::uint64_t bytes = sizeAt(path, &present);
    if (!present) problems->push_back("\"" + file.name + "\": the data file is not there");
    const RoomNeed need = transferSetNeed(settings, bytes);
    const std::uint64_t length = recordLengthOf(settings);
    if (present && need.exact && bytes % length != 0) {
      problems->push_back("\"" + file.name + "\": its " + bytesText(bytes) + " are not a whole " +
                          "number of " + std::to_string(length) + "-byte records: the last " +
                          std::to_string(bytes % length) + " bytes would give the file up");
    }
    return need;
  }
  std::uint64_t bytes = 0;
  for (int segment = 0; segment <= layouts::kMostExtraSegments; ++segment) {
    const std::string name = transferSegmentName(file.windows1252, segment);
    if (name.empty()) break;
    bool segmentPresent = false;
    bytes += sizeAt(hostPathIn(file.folder, name), &segmentPresent);
    if (!segmentPresent) break;
    present = true;
  }
  if (!present) {
    problems->push_back("\"" + file.name + "\": its transfer set is not there (" +
                        hostPathIn(file.folder, transferSegmentName(file.windows1252, 0)) + ")");
  } else if (bytes % layouts::kTransferRecordLength != 0) {
    problems->push_back("\"" + file.name + "\": its transfer set's " + bytesText(bytes) +
                        " are not a whole number of transfer records: the last " +
                        std::to_string(bytes % layouts::kTransferRecordLength) +
                        " bytes would give the file up");
  }
  return dataFileNeed(settings, bytes);
}

void checkLeftovers(const DataFile& file, std::vector<std::string>* problems) {
  for (const Leftover& leftover : findLeftovers(file.folder, file.windows1252)) {
    if (leftover.journal) {
      problems->push_back("\"" + file.name + "\": the publish journal " + leftover.path +
                          " of an interrupted run is in place: the next run of this file "
                          "completes that publish before it converts");
    } else {
      problems->push_back("\"" + file.name + "\": " + leftover.path + " (" +
                          bytesText(leftover.bytes) + ") is left by a killed run: dunaxconv "
                          "--clean-up " + shownFolder(file) + " removes it");
    }
  }
  platform::FileLock lock;
  const platform::Status locked = takeTransferLock(file.folder, file.windows1252, &lock);
  if (locked.is(platform::StatusCode::Busy)) {
    problems->push_back("\"" + file.name + "\": a conversion of this file is running now");
  } else if (!locked.ok()) {
    problems->push_back("\"" + file.name + "\": the lock of its transfer set cannot be taken: " +
                        locked.message());
  }
}

}  // namespace

int checkRun(const RunPlan& plan, std::vector<std::string> problems, const FileKeyOf& fileKeyOf,
             const SegmentExists& segmentExists) {
  for (std::vector<std::string> found :
       {findFileClashes(plan.files, fileKeyOf),
        findTransferSetProblems(plan.files, plan.settings.direction, segmentExists)}) {
    problems.insert(problems.end(), found.begin(), found.end());
  }
  std::map<std::string, FileSystemRoom> rooms;
  for (const DataFile& file : plan.files) {
    checkLeftovers(file, &problems);
    const RoomNeed need = needOf(plan.settings, file, &problems);
    const std::string folder = shownFolder(file);
    const platform::Expected<platform::FileIdentity> identity = platform::fileIdentity(folder);
    const std::string key =
        identity ? std::to_string(identity->device) : "folder " + folder;
    FileSystemRoom& room = rooms[key];
    if (room.folder.empty()) room.folder = folder;
    room.needed += need.bytes;
    room.exact = room.exact && need.exact;
    ++room.files;
  }
  std::uint64_t needed = 0;
  std::uint64_t free = 0;
  for (const auto& [key, room] : rooms) {
    needed += room.needed;
    const platform::Expected<std::uint64_t> available = platform::freeSpaceOf(room.folder);
    if (!available) {
      problems.push_back("the free space of the file system of " + room.folder +
                         " cannot be had: " + available.status().message());
      continue;
    }
    free += *available;
    if (room.needed <= *available) continue;
    const std::string what = plan.settings.direction == 'B' ? "transfer sets" : "data files";
    problems.push_back(
        "the file system of " + room.folder + " has " + bytesText(*available) + " free; the " +
        what + " of " + countText(room.files, "file") + " there need " +
        (room.exact ? "" : "up to ") + bytesText(room.needed) +
        (room.exact ? "" : " (a bound: the records' length is not known for " +
                               plan.settings.program + "; --record-length gives a closer one)") +
        ": make room, or convert some of them elsewhere");
  }
  for (const std::string& problem : problems) sayError("check: " + problem);
  tellOperator("check: " + countText(plan.files.size(), "file") + ", " +
               countText(problems.size(), "problem") + "; " + bytesText(needed) + " needed, " +
               bytesText(free) + " free");
  std::fflush(stdout);
  return problems.empty() ? kExitAllConverted : kExitBadUsage;
}

}  // namespace dunax::manager
