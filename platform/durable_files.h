// Files made visible whole: a file written under a temporary name is renamed over its real
// name only when complete, and the directory entry is flushed so that the change survives a
// crash. Paths are host paths.
#pragma once

#include "platform/status.h"

namespace dunax::platform {

// Renames source over target, replacing a target that exists (in one step: a reader sees the
// old file or the new one, never neither). Returns success, or the rename's failure.
Status replaceFile(const char* source, const char* target);

// Removes the file path (not a directory). Returns success when it is gone or was never
// there, or the removal's failure.
Status removeFileIfPresent(const char* path);

// True when a file (of any kind) exists at path.
bool fileExists(const char* path);

// Flushes the directory that holds path to the disk, so that the names made or removed in it
// are durable. Returns success (also on a file system that cannot flush a directory), or the
// failure of the open or the flush.
Status flushDirectoryOf(const char* path);

}  // namespace dunax::platform
