// File routines: create, delete and change directories, the current directory, and copying,
// deleting and renaming files. Names come in the request's form ("\" separators), mapped to the
// host's separator here; each routine answers 0 for success or the host's error number.
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

// Writes the current directory in the host's form into directory.
// Returns 0, or the error number (directory is then empty).
int currentDirectory(std::string& directory);

// Writes the real path of name into real: absolute, with every symbolic link, "." and ".."
// resolved, so that two names of one file give the same text. The parts at the end that do not
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

}  // namespace dunax::platform
