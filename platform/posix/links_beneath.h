// The check of a name beneath a mapped directory without the kernel's help (POSIX): the
// fallback of the drive mapping where openat2 with RESOLVE_BENEATH is missing, declared here
// so that its tests can reach it on a kernel that has openat2.
#pragma once

#include <string>

namespace dunax::platform::posix {

// Returns true when every symbolic link among the leading parts of rest (relative to base, the
// parts separated by "/" or "\\", no "." or "..") that exist resolves beneath base's real
// path; parts from the first missing one on are not looked at (they do not exist yet). Returns
// false for a link leading outside, a link that resolves to nothing (what it would make lies
// out of sight), and a base that cannot be resolved.
bool linksStayBeneath(const std::string& base, const std::string& rest);

}  // namespace dunax::platform::posix
