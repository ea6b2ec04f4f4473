// The classification of the file statuses a record-access program reports: every status the
// callers need to tell apart is mapped onto one class.
#pragma once

#include "platform/file_status.h"

namespace dunax::converter::access {

// Returns the class of a data status: "00", "02", "10", "21", "22", "23", "24", "35", "30",
// "91" or "94" by the status table; a status in no row of the table comes back unchanged.
platform::FileStatus classifyDataStatus(platform::FileStatus status);

}  // namespace dunax::converter::access
