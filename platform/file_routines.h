// File routines: create, delete and change directories, the current directory, and copying,
// deleting, renaming and publishing files. Names come in the record's form (Windows-1252, "\"
// separators, maybe a drive or network name) and reach the host in its own form
// (hostNameFromRecord in platform/host_path.h: a name with no host form answers EINVAL); the
// real path alone takes a name of this host. Each routine answers 0 for success or the host's
// error number.
#pragma once

#include <string>
#include <string_view>

namespace dunax::platform {

// Returns name in the host's form: every "\" becomes "/"; nothing else changes.
// Returns false (host untouched) when name is empty or holds a NUL, which no host name can.
bool hostPathFrom(std::string_view name, std::string& host);

// Creates one directory (mode 0777 less the umask; the parent must exist).
// Returns 0, or the error number (EEXIST when the name exists, EINVAL for a bad name).
int createDirectory(std::string_view name);

// Removes one empty directory. Returns 0, or the error number (ENOTEMPTY, ENOENT, ...).
int deleteDirectory(std::string_view name);

// Makes name the current directory of this process. Returns 0, or the error number.
int changeDirectory(std::string_view name);

// Writes the current directory in the host's form (its encoding, "/" separators) into directory.
// Returns 0, or the error number (directory is then empty).
int currentDirectory(std::string& directory);

// Writes the real path of name (a name of this host, as a user types it; "\" read as "/") into
// real: absolute, with every symbolic link, "." and ".." resolved, so that two names of one
// file give the same text. The parts at the end that do not
// exist yet (a file still to be written, or its directory) are appended as written, "." left
// out and ".." taking off the part before it.
// Returns 0, or the error number (real is then empty; EINVAL for a bad name).
int realPath(std::string_view name, std::string& real);

// Copies the contents of the regular file source to target, creating or truncating target.
// Returns 0; the error number of the open, read or write that failed; EINVAL when source is
// not a regular file or target is the same file as source (nothing is truncated then).
int copyFile(std::string_view source, std::string_view target);

// Deletes one file (a directory is not deleted). Returns 0, or the error number.
int deleteFile(std::string_view name);

// Renames oldName to newName; an existing newName is never replaced.
// Returns 0, or the error number (EEXIST when newName exists).
int renameFile(std::string_view oldName, std::string_view newName);

// Tells whether a file that is about to be replaced by a new one may be: it does not exist, or
// it is a regular file (not a symbolic link, device, directory ...) this process may write.
// Returns 0 when it may; EISDIR for a directory; EPERM for any other kind of file; the error
// number otherwise (EACCES for a file this process may not write).
int checkReplaceable(std::string_view name);

// Publishes a finished file in one step: flushes temporaryName's contents to the disk, gives
// it the permission bits of the regular file it replaces (when there is one), renames it over
// finalName (an existing regular file is replaced; anything else there, a symbolic link or a
// device for one, is refused with EPERM) and flushes the directory entry. The two names
// must lie in the same directory. A process stopped at any moment leaves finalName either as it
// was or whole and new, never in part. Returns 0, or the error number of the flush or the
// rename that failed: finalName is then as it was and temporaryName is left to the caller.
// (A directory that refuses to be flushed, as some file systems do, leaves the published file
// standing.)
int publishFile(std::string_view temporaryName, std::string_view finalName);

}  // namespace dunax::platform
