// An in-memory stand-in for the platform's file routines, directory search, command execution
// and record files, linked into the fuzz targets in place of the POSIX halves, so that a fuzzed
// request is carried out in full without touching a disk or running a shell. A test sets up a
// tree of names, runs the code under test, then looks at what it did.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dunax::fuzz {

struct MemoryEntry {
  bool isDirectory = false;
  std::uint64_t size = 0;
};

// The whole in-memory host: its names (normalised host paths without a leading "./"; "/" for
// the root) and what the code under test asked of it.
struct MemoryHost {
  std::map<std::string, MemoryEntry> entries;
  std::string currentDirectory = "/work";
  std::vector<std::string> commandLines;  // every command line that would have been run
  std::vector<std::string> namesUsed;     // every name passed to a file routine or search
  std::uint64_t recordsWritten = 0;       // records written to record files
};

// The host the stand-in works on.
MemoryHost& memoryHost();

// Empties the host and sets up the fixed starting tree: the current directory /work with
// "tmp", "COMUNS" and "EMP001" (with subdirectories) and a few data files.
void resetMemoryHost();

// Adds a file (size > 0) or a directory (size 0 and isDirectory) below the current directory;
// the missing parents are added as directories. Returns false when the name is unusable.
bool addMemoryEntry(std::string_view name, bool isDirectory, std::uint64_t size);

// Returns the normalised absolute form of a host path ("a/../b" resolved, "." removed), taken
// from the current directory when it is relative.
std::string normalisedPath(std::string_view hostPath);

}  // namespace dunax::fuzz
