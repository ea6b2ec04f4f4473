// Files made visible whole: a file written under a temporary name is renamed over its real
// name only when complete (replaceFileWhole), and the directory entry is flushed so that the
// change survives a crash; the one check that tells beforehand whether a name may be replaced;
// small files written and read whole. Paths are host paths.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

// The permission bits of a new file when nothing else decides them (the umask still applies).
inline constexpr int kDefaultNewFileMode = 0666;

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

// Replaces the file target whole with temporary, a finished file in the same directory: renames
// it over target (replaceFile: a reader sees the old file or the new one) and flushes the
// directory (flushDirectoryOf), so that the new file survives a crash. Every file this system
// replaces whole goes through here; a caller that must stop between the two steps (a journal's
// steps) calls them one by one.
// Returns success; the failure of the rename (temporary and target are then as they were); or
// the failure of the flush (target is then the new file).
Status replaceFileWhole(const char* temporary, const char* target);

// Whether a rename may replace path, or a removal take it away, without harm: success when
// nothing is there or a regular file this process may write is. Otherwise IsDirectory for a
// directory, or PermissionDenied with words saying why: "a symbolic link is not replaced" (on
// Windows any reparse point), "a FIFO, a device or a socket is not replaced", "a read-only file
// is not replaced" (no write permission for this process, or the Windows read-only mark: a
// file its owner keeps from being written is not written over by a rename either), or "it
// belongs to another user in a folder where only owners may rename" (a POSIX sticky folder);
// or the failure of the look-up. A record's name is given in the host's form
// (hostNameFromRecord).
Status checkReplaceablePath(const char* path);

// Lets the page cache give back the pages it holds of the regular file at path (its content on
// the disk is not touched), so that a file written next, beside it, reuses them instead of
// taking fresh memory, as writing over the file would. A file that is not there, not a regular
// file, or not flushed yet is left as it is; nothing is reported (it only changes the speed).
void releaseCachedPages(const char* path);

// The permission bits for files made from the file at path: its own read and write bits
// (mode & 0666), so that what is made from a file is never readable by more users than the
// file, and the owner's write bit, so that the next run may replace what this one made;
// kDefaultNewFileMode when it cannot be looked at, and always on Windows (no such bits).
int permissionsFollowing(const char* path);

// Makes the empty file path with the permission bits mode (limited further by the umask).
// Returns success, AlreadyExists when anything is there (a symbolic link is never followed),
// or the failure of the creation.
Status createNewFile(const char* path, int mode);

// Makes the file path as createNewFile does, holding content, and flushes it to the disk.
// Returns success, or the failure (a half-written file is removed again).
Status writeNewFileDurably(const char* path, std::string_view content, int mode);

// Reads the regular file path whole into content. Returns success; NotFound when nothing is
// there; InvalidName when it holds more than maxBytes or is not a regular file (a symbolic
// link is not followed); or the failure of the open or the read.
Status readSmallFile(const char* path, std::size_t maxBytes, std::string& content);

// For tests: a stop that a test puts before every step these routines take on the disk, to
// end a process there as a power loss would. step is "rename", "remove", "flush" or "create";
// path the name the step is about (the target of a rename). nullptr (the start value) puts
// none.
using DurableStepHook = void (*)(const char* step, const char* path);
void setDurableStepHook(DurableStepHook hook);

namespace detail {
// Called by both halves before each step: runs the test's hook when one is set.
void beforeDurableStep(const char* step, const char* path);
}  // namespace detail

}  // namespace dunax::platform
