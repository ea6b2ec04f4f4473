// The command handlers: create, remove and report directories, copy, delete and rename files,
// run a command in a directory, run a shell command; and the dispatch on the verb. Each works in
// place on the job's record and error flag. Every name a handler passes to the host goes
// through the platform's file routines in the record's form, Windows-1252, and reaches the host
// in its form (platform/host_path.h): a drive letter or network path without its mapping, one
// that climbs out of it, or a name holding a byte with no character in the code page, fails
// ("E") before anything is touched. Names the host gives back (the current directory, the
// matches of a pattern) come back into the records in Windows-1252; a name with no such form
// is never written into a record nor acted upon. Every failure keeps its reason in the job
// (Windows-1252, the names as the request spelt them); the two command verbs keep the
// command's exit status.
#pragma once

#include <cstddef>

#include "executor/job.h"

namespace dunax::executor {

// The command buffer of the directory and command handlers.
inline constexpr std::size_t kCommandBufferLength = 256;

// Carries out the job's request by its verb (exact spellings only; any other verb is a shell
// command). The error flag says how it went.
void dispatchVerb(Job& job);

// MKDIR: creates every missing directory along argument 1 and checks each one (a name rooted
// at "\" starts after it: the drive's root is there already).
// Fails ("E") on nothing to create after the start position, a prefix that cannot be found
// after creation, or a non-empty file in the way (stops there). Argument 1 comes back with the
// information layout of the last directory checked (network path: the last prefix).
void makeDirectoryPath(Job& job);

// RMDIR: removes the directory in argument 1. Fails when it is still there (or the name is
// blank). Argument 1 comes back with its information layout (zeros once it is gone).
void removeDirectory(Job& job);

// CDDIR: argument 1 := the current directory, in Windows-1252. Fails when there is none, when
// it has no Windows-1252 form or is longer than the 80-character argument (argument 1 is then
// spaces).
void reportCurrentDirectory(Job& job);

// COPY: one file, or the non-empty matches of a pattern in the last part of argument 1, to the
// file or directory in argument 2 (blank = "."). Fails when a single copy fails or its target
// cannot be found afterwards, when no non-empty file matched a pattern, or when any copy of a
// pattern is not made: a name built for it does not fit its field, a match's name has no
// Windows-1252 form (nothing is copied under a cut or substituted name), its target was
// written by an earlier copy of the same request (it is not overwritten), or the copy fails.
// The other copies of the pattern are still made.
void copyFiles(Job& job);

// DEL: one file, or the non-empty matches of a pattern. Fails when a single file is still
// there afterwards (a missing file is a success), the name is blank, no non-empty file
// matched a pattern, a matched file is still there afterwards, or a match's name does not fit
// or has no Windows-1252 form (that file is left alone; the others are still deleted).
void deleteFiles(Job& job);

// REN: renames argument 1 to argument 2 (an existing argument 2 is never replaced). Fails when
// the rename was refused or the new name cannot be found afterwards.
void renameFile(Job& job);

// EXECU: when argument 2 names a directory, selects its drive if it begins with one ("D:":
// changes to the drive's mapped directory) and then changes to the directory itself; then runs
// argument 1 through the shell and keeps its exit status (which does not make the reply fail).
// Fails, running nothing, when the drive cannot be selected or the directory cannot be entered
// (no host form, no mapping, climbing out of it, missing, not a directory, no permission) or
// the command holds a byte with no character in the code page; fails when the shell cannot be
// started.
void runCommandInDirectory(Job& job);

// Any other verb: runs argument 1 followed by argument 2, switch spellings rewritten, through
// the shell, in the host's encoding, and keeps the command's exit status. Fails, running
// nothing, when the command holds a byte with no character in the code page; fails when the
// shell cannot be started.
void runShellCommand(Job& job);

// Rewrites the switch spellings of the 256-byte command buffer in place, pattern by pattern in
// this order: "\S " "\s " "\Q " "\q " "\Y " "\y " "\B " "\b " (backslash to slash), then
// " \v\i\e" and " \d\v\i\e" (every backslash to slash).
void rewriteSwitches(char* buffer);

// Returns the position (from 1) of the last "\", "*" or "?" in the 80-byte area, 0 when none.
std::size_t findLastSeparatorOrWildcard(const char* area);

// Overlays the entry name (80 bytes, space-padded, in place) with the destination name
// pattern (40 bytes): position by position up to the first space or "*" of the pattern, "?"
// keeps the name's character and any other character replaces it.
void overlayName(char* name, const char* pattern);

}  // namespace dunax::executor
