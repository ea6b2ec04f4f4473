// A private directory: a directory only the running user can reach (on POSIX owned by the user,
// mode 0700, not a symbolic link; on Windows a folder in the user's own local application data,
// not a link or junction), whole files replaced in it atomically.
#pragma once

#include <cstddef>
#include <string>

#include "platform/status.h"

namespace dunax::platform {

// The private directory of this user for purpose, a short word such as "sp2" (nothing is
// made): on POSIX ${XDG_RUNTIME_DIR:-/tmp}/dunax-PURPOSE-UID; on Windows the folder "dunax" in
// the user's local application data folder (made when missing), then PURPOSE. Empty when the
// user has no such folder.
std::string defaultPrivateDirectory(const std::string& purpose);

// Makes sure path is a private directory: creates it with mode 0700 when it is missing;
// otherwise it must be a directory, not a symbolic link, owned by the running user, with mode
// exactly 0700. (On Windows: a folder made in the user's own folder keeps that folder's
// user-only access; an existing one must be a folder and not a link or junction.)
// Returns success; NotDirectory when it is a symbolic link or not a directory;
// PermissionDenied (EPERM) when another user owns it; PermissionDenied (EACCES) when its mode
// is not 0700; otherwise the failure of lstat or mkdir.
Status preparePrivateDirectory(const std::string& path);

// Replaces the file name in directory with length bytes of data as a whole: a temporary file
// is written and flushed in the same directory, then put over name by replaceFileWhole
// (durable_files.h), so a reader sees the old contents or the new, never a mixture.
// Returns success, or the failure of the step that failed (nothing is replaced then, unless
// only the directory's flush failed).
Status replaceFileAtomically(const std::string& directory, const std::string& name,
                             const void* data, std::size_t length);

// Reads the regular file at path, which holds exactly length bytes, into data (a symbolic link
// is not followed; readSmallFile in durable_files.h). Only this user reaches the files of a
// prepared private directory.
// Returns success; NotFound when it is missing; InvalidName when it is shorter or longer or not
// a regular file; otherwise the failure of open or read.
Status readFileExactly(const std::string& path, void* data, std::size_t length);

}  // namespace dunax::platform
