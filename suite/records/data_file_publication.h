// How the record-access programs publish a data file they write: every record goes to a new
// file beside the data file, under the data file's name plus ".dunax-new", and only a close
// that succeeded renames it over the data file. A failed or stopped run leaves the user's data
// file exactly as it was (at most a ".dunax-new" file behind, removed by the next open of the
// name).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file_status.h"
#include "suite/records/request_block.h"

namespace dunax::records {

// What follows the data file's name in the name of the file being written.
inline constexpr char kTemporarySuffix[] = ".dunax-new";

// The longest temporary name: the longest data file name and the suffix, without the NUL.
inline constexpr std::size_t kMaxTemporaryNameLength =
    sizeof(RequestBlock::dataFileName) + sizeof(kTemporarySuffix) - 1;

// Writes the temporary name of the data file path (NUL-terminated, at most
// sizeof(RequestBlock::dataFileName) characters) into out (kMaxTemporaryNameLength + 1 bytes).
void temporaryNameOf(const char* path, char* out);

// Removes the temporary file of the data file path, left by a run that failed or was killed;
// nothing when there is none.
void discardTemporary(const char* path);

// Checks before an output open that the data file path may be replaced.
// Returns "00" (also when it does not exist yet); "37" for a directory, a symbolic link, a
// FIFO, a device, a socket, a file this process may not write or another user's file in a
// sticky folder (platform::checkReplaceablePath); "30" for any other failure.
// On failure why (when given) receives the reason in words ("a symbolic link is not replaced").
platform::FileStatus checkReplaceable(const char* path, std::string* why = nullptr);

// The width of the name field a COBOL program's OPEN uses: room for a mapped drive's directory
// and a name whose every character takes three bytes in UTF-8.
inline constexpr std::size_t kAssignedNameWidth = 1024;

// Copies status into a COBOL program's 2-byte status field.
void putCobolStatus(const platform::FileStatus& status, char* statusField);

// Fills assignedField (kAssignedNameWidth bytes, space-padded) with the host form of the record
// name and answers "00"; answers failure, assignedField all spaces, when the name is empty, has
// no host form or does not fit.
void assignHostName(std::string_view recordName, char* assignedField,
                    const platform::FileStatus& failure, char* statusField);

// Renames the written and closed temporary file over the data file path.
// Returns "00"; "34" when there is no room (disk full, size limit) to flush it; "30" for any
// other failure. On failure the temporary file is removed and the data file is as it was.
platform::FileStatus publish(const char* path);

}  // namespace dunax::records
