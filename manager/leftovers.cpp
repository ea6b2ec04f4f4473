// Finding the leftovers of killed runs beside a data file, and trying its transfer name's lock.
#include "manager/leftovers.h"

#include "layouts/transfer_segments.h"
#include "platform/host_path.h"
#include "manager/host_files.h"
#include "manager/segments.h"

namespace dunax::manager {

std::string hostPathIn(const std::string& folder, const std::string& windows1252Name) {
  const platform::Expected<std::string> own = platform::hostNameFromRecord(windows1252Name);
  return own ? inFolder(folder, *own) : std::string();
}

platform::Expected<platform::DirectoryEntry> lookUpHostPath(const std::string& path) {
  const platform::Expected<std::string> record = platform::recordNameFromHost(path);
  if (!record) return record.status();
  return platform::lookUpEntry(*record);
}

std::vector<Leftover> findLeftovers(const std::string& folder, const std::string& dataName) {
  std::vector<std::string> names;
  for (int segment = 0; segment <= layouts::kMostExtraSegments; ++segment) {
    const std::string name = transferSegmentName(dataName, segment);
    if (!name.empty()) names.push_back(name + kPartialSuffix);
  }
  const std::string journal = transferSegmentName(dataName, 0) + kJournalSuffix;
  names.push_back(journal + kPartialSuffix);
  names.push_back(journal);
  names.push_back(std::string(layouts::segmentDataName(dataName)) + kNewDataSuffix);
  std::vector<Leftover> found;
  for (const std::string& name : names) {
    const std::string path = hostPathIn(folder, name);
    if (path.empty()) continue;
    platform::Expected<platform::DirectoryEntry> entry = lookUpHostPath(path);
    if (!entry || entry->isDirectory) continue;
    found.push_back({path, entry->size, name == journal});
  }
  return found;
}

platform::Status takeTransferLock(const std::string& folder, const std::string& dataName,
                                  platform::FileLock* lock) {
  const std::string path = hostPathIn(folder, transferSegmentName(dataName, 0) + kLockSuffix);
  if (path.empty()) {
    return platform::Status::failure(platform::StatusCode::InvalidName,
                                     "the lock's name has no form on this host");
  }
  return lock->acquire(path, 0);
}

}  // namespace dunax::manager
