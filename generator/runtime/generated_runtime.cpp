// The C entries that every record-access program made by dunaxgen links in (called statically
// from its COBOL): the host form of the data file's names, the check before an output open, the
// removal of what a killed run left, the tail check of a record, and the publication of the
// data file. An indexed file with N alternate keys is N + 1 files on disk (the data file and
// "<data file>.1" to ".N", as GnuCOBOL's Berkeley DB handler names them); all are published
// together or none. Each entry takes the data file name as the program holds it (50 bytes,
// space-padded, Windows-1252) and, for the file count, the 2-digit number of companions.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/durable_files.h"
#include "platform/file_routines.h"
#include "platform/host_path.h"
#include "suite/records/data_file_publication.h"
#include "suite/records/sequential_access.h"

namespace {

namespace status = dunax::platform::status;
using dunax::platform::FileStatus;
using dunax::records::putCobolStatus;
using dunax::records::assignHostName;

constexpr std::size_t kNameWidth = sizeof(dunax::records::RequestBlock::dataFileName);
constexpr char kStagedSuffix[] = ".dunax-ready";

// The names of one data file, in the record's form (Windows-1252, "/" separators).
struct DataFileNames {
  std::string path;     // the data file; empty for a blank name
  unsigned companions;  // the alternate-key files beside it

  // The file of number index: the data file itself (0) or its companion ".index".
  std::string file(unsigned index) const {
    return index == 0 ? path : path + "." + std::to_string(index);
  }
  // Where the run writes file index (GnuCOBOL names the companions after the name opened).
  std::string temporary(unsigned index) const {
    std::string name = path + dunax::records::kTemporarySuffix;
    return index == 0 ? name : name + "." + std::to_string(index);
  }
  // Where file index waits, flushed, for the others; the data file's own staged copy being
  // there means the new set is complete.
  std::string staged(unsigned index) const { return file(index) + kStagedSuffix; }
};

DataFileNames namesFrom(const char* nameField, const char* companionsField) {
  char path[kNameWidth + 1] = {};
  dunax::records::extractFileName(nameField, kNameWidth, path);
  unsigned companions = 0;
  if (companionsField != nullptr && companionsField[0] >= '0' && companionsField[0] <= '9' &&
      companionsField[1] >= '0' && companionsField[1] <= '9') {
    companions = static_cast<unsigned>((companionsField[0] - '0') * 10 + (companionsField[1] - '0'));
  }
  return {path, companions};
}

// The host form of a record name; empty when it has none.
std::string hostOf(const std::string& recordName) {
  if (recordName.empty()) return {};
  return dunax::platform::hostNameFromRecord(recordName).valueOr(std::string());
}

bool exists(const std::string& recordName) {
  std::string host = hostOf(recordName);
  return !host.empty() && dunax::platform::fileExists(host.c_str());
}

void removeFile(const std::string& recordName) {
  std::string host = hostOf(recordName);
  if (!host.empty()) (void)dunax::platform::removeFileIfPresent(host.c_str());
}

// Puts every staged file of a complete set over its data file, the data file's own last (its
// staged copy is the mark of a complete set, so a run stopped half-way is finished by the
// next). Returns true when all are in place.
bool finishPublication(const DataFileNames& names) {
  bool placed = true;
  for (unsigned index = names.companions;; --index) {
    // publishFile keeps the permission bits of the file replaced; a staged file it cannot put
    // in place stays staged for the next open to try again.
    if (exists(names.staged(index))) {
      placed = dunax::platform::publishFile(names.staged(index), names.file(index)).ok() && placed;
    }
    if (index == 0) break;
  }
  std::string host = hostOf(names.path);
  if (!host.empty()) (void)dunax::platform::flushDirectoryOf(host.c_str());
  return placed;
}

// Removes the temporary and staged files of an unfinished run.
void dropUnfinished(const DataFileNames& names) {
  for (unsigned index = 0; index <= names.companions; ++index) {
    removeFile(names.temporary(index));
    removeFile(names.staged(index));
  }
}

}  // namespace

extern "C" {

// Writes the host form of the data file's name into assignedField (1024 bytes, space-padded),
// the name an input OPEN uses. Answers "00"; "35" for a blank name or one with no host form.
int DXGHOST(const char* nameField, char* assignedField, char* statusField) {
  assignHostName(namesFrom(nameField, nullptr).path, assignedField, status::kFileNotFound,
                 statusField);
  return 0;
}

// Writes the host form of the temporary name into assignedField, the name an output OPEN uses.
// Answers "00"; "30" for a blank name or one with no host form.
int DXGTMP(const char* nameField, char* assignedField, char* statusField) {
  DataFileNames names = namesFrom(nameField, nullptr);
  assignHostName(names.path.empty() ? std::string() : names.temporary(0), assignedField,
                 status::kPermanentError, statusField);
  return 0;
}

// Tidies what an earlier run left: a complete set of staged files is put in place (the run
// was stopped in the middle of publishing it), anything else unfinished is removed. Nothing
// for a blank name.
int DXGDROP(const char* nameField, const char* companionsField) {
  DataFileNames names = namesFrom(nameField, companionsField);
  if (names.path.empty()) return 0;
  if (names.companions > 0 && exists(names.staged(0))) finishPublication(names);
  dropUnfinished(names);
  return 0;
}

// Answers "00" when every file of the data file may be replaced; "37" when one may not (a
// directory, a symbolic link, a file this process may not write); "30" for a blank name or any
// other failure.
int DXGCHECK(const char* nameField, const char* companionsField, char* statusField) {
  DataFileNames names = namesFrom(nameField, companionsField);
  FileStatus result = names.path.empty() ? status::kPermanentError : status::kSuccess;
  for (unsigned index = 0; index <= names.companions && result == status::kSuccess; ++index) {
    result = dunax::records::checkReplaceable(names.file(index).c_str());
  }
  putCobolStatus(result, statusField);
  return 0;
}

// Answers "00" when the bytes of the 1024-byte record past length are spaces or zero bytes;
// "44" otherwise.
int DXGTAIL(const char* record, const std::uint32_t* length, char* statusField) {
  bool padding = *length >= dunax::records::kMaxRecordLength ||
                 dunax::records::onlyPaddingPast(record, *length);
  putCobolStatus(padding ? status::kSuccess : FileStatus{'4', '4'}, statusField);
  return 0;
}

// Copies length bytes from source to target (a record area and the request block's record).
int DXGPUT(char* target, const char* source, const std::uint32_t* length) {
  std::memmove(target, source, *length);
  return 0;
}

// Sets length to the length of the 1024-byte record without its trailing spaces, never below
// minimum.
int DXGTRIM(const char* record, const std::uint32_t* minimum, std::uint32_t* length) {
  std::uint32_t end = static_cast<std::uint32_t>(dunax::records::kMaxRecordLength);
  while (end > 0 && record[end - 1] == ' ') --end;
  *length = end < *minimum ? *minimum : end;
  return 0;
}

// Publishes the written and closed files over the data file's. Answers "00"; "34" no room to
// flush them; "30" any other failure. Before every file is flushed nothing of the data file
// is touched (on failure the new files are removed); once they all are, the set is put in
// place, and a run stopped in the middle is finished by the next "TST" or "OU ".
int DXGPUB(const char* nameField, const char* companionsField, char* statusField) {
  DataFileNames names = namesFrom(nameField, companionsField);
  if (names.path.empty()) {
    putCobolStatus(status::kPermanentError, statusField);
    return 0;
  }
  if (names.companions == 0) {
    putCobolStatus(dunax::records::publish(names.path.c_str()), statusField);
    return 0;
  }
  // The companions first, the data file's own last: its staged copy marks the set complete.
  for (unsigned index = names.companions;; --index) {
    dunax::platform::Status staged =
        dunax::platform::publishFile(names.temporary(index), names.staged(index));
    if (!staged.ok()) {
      dropUnfinished(names);
      putCobolStatus(dunax::platform::writeStatusOf(staged), statusField);
      return 0;
    }
    if (index == 0) break;
  }
  putCobolStatus(finishPublication(names) ? status::kSuccess : status::kPermanentError,
                 statusField);
  return 0;
}

}  // extern "C"
