// File routines: create, delete and change directories, the current directory, and copying,
// deleting, renaming and publishing files. Names come in the record's form (Windows-1252, "\"
// separators, maybe a drive or network name) and reach the host in its own form
// (hostNameFromRecord in platform/host_path.h: a name with no host form answers InvalidName);
// the real path alone takes a name of this host. Each routine answers with a Status (or a value
// and a Status) that keeps the host's error number.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

// Returns name in the host's form: every separator becomes the host's ("\" becomes "/" on
// POSIX, "/" becomes "\" on Windows); nothing else changes.
// Returns InvalidName when name is empty or holds a NUL, which no host name can, and on Windows
// when it reaches a device instead of a file (platform/host_path.h).
Expected<std::string> hostPathFrom(std::string_view name);

// Returns the directory part of path, a name of this host as a user types it: all before its
// last separator ("/"; on Windows "\" as well), the root kept ("/"; "\", "C:\"); "." when
// path has no separator (on Windows "C:" for a drive-relative "C:NAME").
std::string directoryOfPath(std::string_view path);

// Creates one directory (on POSIX mode 0777 less the umask; the parent must exist).
// Returns success, or the failure (AlreadyExists when the name exists, InvalidName for a bad
// name).
Status createDirectory(std::string_view name);

// Removes one empty directory. Returns success, or the failure (NotEmpty, NotFound, ...).
Status deleteDirectory(std::string_view name);

// Makes name the current directory of this process. A drive alone ("D:") selects that drive
// and the directory last current on it (Windows; on POSIX the drive's mapped directory).
// Returns success, or the failure.
Status changeDirectory(std::string_view name);

// Returns the current directory in the host's form (its encoding and separators), or the
// failure.
Expected<std::string> currentDirectory();

// Returns the real path of name (a name of this host, as a user types it; either separator):
// absolute, with every symbolic link, "." and ".." resolved, so that two names of one
// file give the same text. The parts at the end that do not
// exist yet (a file still to be written, or its directory) are appended as written, "." left
// out and ".." taking off the part before it.
// Returns the failure instead (InvalidName for a bad name).
Expected<std::string> realPath(std::string_view name);

// Copies the contents of the regular file source to target, creating or truncating target.
// Returns success; the failure of the open, read or write that failed; InvalidName when source
// is not a regular file or target is the same file as source (nothing is truncated then).
Status copyFile(std::string_view source, std::string_view target);

// Deletes one file (a directory is not deleted: IsDirectory). Returns success, or the failure.
Status deleteFile(std::string_view name);

// Renames oldName to newName; an existing newName is never replaced.
// Returns success, or the failure (AlreadyExists when newName exists).
Status renameFile(std::string_view oldName, std::string_view newName);

// Publishes a finished file in one step: flushes temporaryName's contents to the disk, gives
// it the permission bits of the regular file it replaces (when there is one), renames it over
// finalName (an existing regular file is replaced; anything else there, a symbolic link or a
// device for one, is refused with PermissionDenied) and flushes the directory entry. The two names
// must lie in the same directory. A process stopped at any moment leaves finalName either as it
// was or whole and new, never in part. Returns success, or the failure of the flush or the
// rename: finalName is then as it was and temporaryName is left to the caller.
// (A directory that refuses to be flushed, as some file systems do, leaves the published file
// standing.)
Status publishFile(std::string_view temporaryName, std::string_view finalName);

}  // namespace dunax::platform
