// The room left on a file system: the bytes that this user may still write there.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

// Returns the bytes free for this user (not those kept for the administrator) on the file
// system that holds folder (a host name, either separator); the failure of the look-up
// otherwise (NotFound when folder is not there).
Expected<std::uint64_t> freeSpaceOf(std::string_view folder);

}  // namespace dunax::platform
