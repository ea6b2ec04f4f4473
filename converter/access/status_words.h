// The meaning of a file status in words, for the line that says why a file was not converted:
// "status 04 (a record of the wrong length: a partial record at the end)".
#pragma once

#include <string>

#include "platform/file_status.h"

namespace dunax::converter::access {

// The meaning of status in a few words; a status no table row knows gives "an unknown status".
const char* statusMeaning(platform::FileStatus status);

// "status SS (meaning)": a byte that is not printable (as after "9") shown as "/NNN", its
// value; two spaces as "none".
std::string describeStatus(platform::FileStatus status);

}  // namespace dunax::converter::access
