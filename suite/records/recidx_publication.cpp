// The naming and publishing calls of RECIDX, the COBOL record-access program: plain C entries
// linked into RECIDX.so and called statically from its COBOL, each taking the data file name as
// RECIDX holds it (50 bytes, space-padded, Windows-1252) and, where it answers one, a 2-byte
// file status. The name RECIDX's OPEN uses is the host form these calls fill in.
#include <cstring>
#include <string>

#include "platform/host_path.h"
#include "platform/record_file.h"
#include "suite/records/data_file_publication.h"
#include "suite/records/sequential_access.h"

namespace {

using dunax::records::RequestBlock;
using dunax::records::putCobolStatus;
using dunax::records::assignHostName;
// kAssignedNameWidth is the width of the name RECIDX opens (WS-ASSIGNED-NAME).
using dunax::records::kAssignedNameWidth;

constexpr std::size_t kNameWidth = sizeof(RequestBlock::dataFileName);

// Copies the name field into path (kNameWidth + 1 bytes). Returns false for a blank name.
bool pathFrom(const char* nameField, char* path) {
  return dunax::records::extractFileName(nameField, kNameWidth, path) > 0;
}

}  // namespace

extern "C" {

// Writes the host form of the data file's name into assignedField (kAssignedNameWidth bytes,
// space-padded), the name an input OPEN uses. Answers "00"; "35" (assignedField spaces) for a
// blank name or one with no host form, as for a file that is not there; "37" (assignedField
// spaces) for a name that is not a regular file (a FIFO, a device, a socket, a directory), so
// that the OPEN never waits on one.
int RECIDXHOST(const char* nameField, char* assignedField, char* statusField) {
  char path[kNameWidth + 1] = {};
  pathFrom(nameField, path);
  assignHostName(path, assignedField, dunax::platform::status::kFileNotFound, statusField);
  if (std::memcmp(statusField, "00", 2) != 0) return 0;
  // The record file opens only a regular file, without waiting: it tells the kind.
  std::string host(assignedField, kAssignedNameWidth);
  host.erase(host.find_last_not_of(' ') + 1);
  dunax::platform::RecordFile probe(dunax::platform::Organization::RecordSequential, 1);
  if (probe.open(host.c_str(), dunax::platform::OpenMode::Input) ==
      dunax::platform::status::kPermissionDenied) {
    std::memset(assignedField, ' ', kAssignedNameWidth);
    putCobolStatus(dunax::platform::status::kPermissionDenied, statusField);
  }
  return 0;
}

// Writes the host form of the data file's temporary name into assignedField
// (kAssignedNameWidth bytes, space-padded), the name an output OPEN uses, and makes that file,
// empty, with no more permission than the data file has (the OPEN keeps it). Answers "00";
// "30" (assignedField spaces) for a blank name or one with no host form.
int RECIDXTMP(const char* nameField, char* assignedField, char* statusField) {
  char path[kNameWidth + 1];
  char temporary[dunax::records::kMaxTemporaryNameLength + 1] = {};
  if (pathFrom(nameField, path)) dunax::records::temporaryNameOf(path, temporary);
  assignHostName(temporary, assignedField, dunax::platform::status::kPermanentError,
                 statusField);
  if (std::memcmp(statusField, "00", 2) != 0) return 0;
  // The temporary file is made here first, empty, with no more permission than the data file
  // has: the OPEN OUTPUT that follows writes into it and keeps its permission.
  std::string host(assignedField, kAssignedNameWidth);
  host.erase(host.find_last_not_of(' ') + 1);
  if (const dunax::platform::Expected<std::string> dataHost =
          dunax::platform::hostNameFromRecord(path)) {
    dunax::platform::RecordFile made(dunax::platform::Organization::RecordSequential, 1);
    if (made.open(host.c_str(), dunax::platform::OpenMode::Output, dataHost->c_str()).ok()) {
      made.close();
    }
  }
  return 0;
}

// Removes the data file's temporary file, left by a failed or killed run; nothing for a blank
// name or when there is none.
int RECIDXDROP(const char* nameField) {
  char path[kNameWidth + 1];
  if (pathFrom(nameField, path)) dunax::records::discardTemporary(path);
  return 0;
}

// Answers "00" when the data file may be replaced by a new one; "37" when it may not (a
// directory, a symbolic link, a file this process may not write); "30" for a blank name or any
// other failure.
int RECIDXCHECK(const char* nameField, char* statusField) {
  char path[kNameWidth + 1];
  putCobolStatus(pathFrom(nameField, path) ? dunax::records::checkReplaceable(path)
                                           : dunax::platform::status::kPermanentError,
                 statusField);
  return 0;
}

// Renames the closed temporary file over the data file. Answers "00"; "34" no room; "30" any
// other failure (the temporary file is then removed and the data file left as it was).
int RECIDXPUB(const char* nameField, char* statusField) {
  char path[kNameWidth + 1];
  putCobolStatus(pathFrom(nameField, path) ? dunax::records::publish(path)
                                           : dunax::platform::status::kPermanentError,
                 statusField);
  return 0;
}

}  // extern "C"
