// What killed runs leave beside a data file, and whether a run of it holds its lock now: the
// temporaries of the transfer segments (".dunax-part"), the publish journal (".dunax-journal")
// and its own temporary, the record-access program's new data file (".dunax-new"), and the
// lock ".dunax-lock" that every converter run of the transfer name holds while it runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layouts/transfer_segments.h"
#include "platform/directory_search.h"
#include "platform/file_lock.h"
#include "platform/status.h"

namespace dunax::manager {

using layouts::kJournalSuffix;
using layouts::kLockSuffix;
using layouts::kPartialSuffix;
// The new data file that the sample record-access programs (and those dunaxgen writes) fill
// beside the data file in direction "X" and rename over it at "CL ".
inline constexpr char kNewDataSuffix[] = ".dunax-new";

struct Leftover {
  std::string path;         // the host path, with the folder it was found in
  std::uint64_t bytes = 0;  // its size
  bool journal = false;     // the publish journal itself (the next run completes its publish)
};

// The host path of a name (Windows-1252, "\" a separator) in folder (host form, empty for the
// current one); empty when the name has no host form.
std::string hostPathIn(const std::string& folder, const std::string& windows1252Name);

// Looks up the file at a host path (symbolic links followed). Returns its entry (size, kind);
// NotFound when nothing is there; the failure of the look-up otherwise.
platform::Expected<platform::DirectoryEntry> lookUpHostPath(const std::string& path);

// Returns the leftovers of killed runs of the data file dataName (Windows-1252, its own name)
// in folder: the temporaries of segments 0 to 9, the journal's temporary, the journal, and the
// new data file, those that are there, in that order.
std::vector<Leftover> findLeftovers(const std::string& folder, const std::string& dataName);

// Tries the lock of the data file's transfer name without waiting and holds it in *lock.
// Returns success when it is held now by this process (no run of the name is going on); Busy
// when a running conversion holds it; the failure to make or lock the lock file otherwise.
platform::Status takeTransferLock(const std::string& folder, const std::string& dataName,
                                  platform::FileLock* lock);

}  // namespace dunax::manager
