// The publishing calls of RECIDX, the COBOL record-access program: plain C entries linked into
// RECIDX.so and called statically from its COBOL, each taking the data file name as RECIDX
// holds it (50 bytes, space-padded, "\" already turned into "/") and, where it answers one, a
// 2-byte file status.
#include <cstring>

#include "suite/records/data_file_publication.h"
#include "suite/records/sequential_access.h"

namespace {

using dunax::records::RequestBlock;

constexpr std::size_t kNameWidth = sizeof(RequestBlock::fileName);

// Copies the name field into path (kNameWidth + 1 bytes). Returns false for a blank name.
bool pathFrom(const char* nameField, char* path) {
  return dunax::records::extractFileName(nameField, kNameWidth, path) > 0;
}

void answer(const dunax::platform::FileStatus& status, char* statusField) {
  std::memcpy(statusField, status.code, sizeof(status.code));
}

}  // namespace

extern "C" {

// Writes the temporary name of the data file into temporaryField (kMaxTemporaryNameLength
// bytes, space-padded); spaces for a blank name.
int RECIDXTMP(const char* nameField, char* temporaryField) {
  char path[kNameWidth + 1];
  char temporary[dunax::records::kMaxTemporaryNameLength + 1] = {};
  if (pathFrom(nameField, path)) dunax::records::temporaryNameOf(path, temporary);
  std::size_t length = std::strlen(temporary);
  std::memcpy(temporaryField, temporary, length);
  std::memset(temporaryField + length, ' ', dunax::records::kMaxTemporaryNameLength - length);
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
  answer(pathFrom(nameField, path) ? dunax::records::checkReplaceable(path)
                                   : dunax::platform::status::kPermanentError,
         statusField);
  return 0;
}

// Renames the closed temporary file over the data file. Answers "00"; "34" no room; "30" any
// other failure (the temporary file is then removed and the data file left as it was).
int RECIDXPUB(const char* nameField, char* statusField) {
  char path[kNameWidth + 1];
  answer(pathFrom(nameField, path) ? dunax::records::publish(path)
                                   : dunax::platform::status::kPermanentError,
         statusField);
  return 0;
}

}  // extern "C"
