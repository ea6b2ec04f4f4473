// The command handlers of the executor and the dispatch on the verb.
#include "executor/commands.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "executor/information.h"
#include "executor/inventory.h"
#include "executor/literals.h"
#include "platform/command_execution.h"
#include "platform/directory_search.h"
#include "platform/file_routines.h"
#include "platform/host_path.h"

namespace dunax::executor {
namespace {

constexpr std::size_t kArgument = kArgumentLength;  // 80
constexpr std::size_t kNamePatternLength = 40;

bool verbIs(const Job& job, const char* verb) {
  return std::memcmp(job.record.verb, verb, sizeof job.record.verb) == 0;
}

// Position (from 1) of the last "\" in the first `from` bytes of area, scanning down to
// `downTo`; 0 when there is none.
std::size_t findLastBackslash(const char* area, std::size_t from, std::size_t downTo) {
  for (std::size_t p = from; p >= downTo && p > 0; --p) {
    if (area[p - 1] == '\\') return p;
  }
  return 0;
}

// Runs the information lookup on name with argument 1 saved and restored around it, the
// error flag untouched. Returns true and fills entry when the name is found.
bool probe(Job& job, std::string_view name, platform::DirectoryEntry& entry) {
  char saved[kArgument];
  std::memcpy(saved, job.record.argument1, kArgument);
  const char flag = job.errorFlag;
  putPadded(job.record.argument1, kArgument, name);
  bool found = name.size() <= kArgument && lookUpInformation(job, &entry);
  std::memcpy(job.record.argument1, saved, kArgument);
  job.errorFlag = flag;
  return found;
}

// True when an entry name found by a search can be written into a name field of width bytes
// and read back whole: no longer than the field and holding no space.
bool fitsField(std::string_view name, std::size_t width) {
  return name.size() <= width && name.find(' ') == std::string_view::npos;
}

// The source prefix of a pattern verb: positions 1 to D of argument 1, D the last "\" at or
// before the wildcard position (0 when none), taken up to its first space.
std::string_view sourcePrefix(const char* argument, std::size_t wildcardPosition) {
  std::size_t d = findLastBackslash(argument, wildcardPosition, 1);
  return nameIn(argument, d);
}

// True when name (a request's name) reaches this host: it has a host form (platform/host_path.h).
bool reachesHost(std::string_view name) {
  std::string host;
  return platform::hostNameFromRecord(name, host);
}

// True when name (a request's name) is given but lands nowhere on this host: a drive or network
// name without its mapping, one that climbs out of it, or one holding a byte with no character.
bool refusedByHost(std::string_view name) { return !name.empty() && !reachesHost(name); }

// True when name begins with a drive: a letter followed by ":".
bool namesDrive(std::string_view name) {
  if (name.size() < 2 || name[1] != ':') return false;
  const char c = name[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Runs the command buffer (Windows-1252) through the host's shell, in the host's encoding.
// Returns false, running nothing, when it holds a byte with no character in the code page.
bool runCommandBuffer(const char* buffer) {
  std::string command;
  if (!platform::hostTextFromRecord(std::string_view(buffer, kCommandBufferLength), command)) {
    return false;
  }
  platform::runCommandLine(command);
  return true;
}

// COPY of one file (argument 1 holds no wildcard in its last part).
void copySingleFile(Job& job, bool destinationIsDirectory) {
  const char* source = job.record.argument1;
  const char* destination = job.record.argument2;
  std::string target;
  if (destinationIsDirectory) {
    std::size_t slash = findLastBackslash(source, kArgument, 2);
    std::size_t start = slash != 0 ? slash + 1 : (source[0] == '\\' ? 2 : 1);
    target.assign(nameIn(destination, kArgument));
    target += '\\';
    target += nameIn(source + start - 1, kArgument - start + 1);
  } else {
    target.assign(nameIn(destination, kArgument));
  }
  if (target.size() > kArgument) {
    job.fail();
    return;
  }
  platform::copyFile(nameIn(source, kArgument), target);
  platform::DirectoryEntry copied;
  if (!probe(job, target, copied) || copied.isDirectory) job.fail();
}

// COPY of the non-empty files matching the pattern in argument 1.
void copyPattern(Job& job, bool destinationIsDirectory, std::size_t wildcardPosition) {
  const char* source = job.record.argument1;
  const char* destination = job.record.argument2;
  char namePattern[kNamePatternLength];
  std::memset(namePattern, ' ', sizeof namePattern);
  std::string_view destinationDirectory;
  bool destinationHasDirectory = false;
  if (!destinationIsDirectory) {
    std::size_t slash = findLastBackslash(destination, kArgument, 1);
    std::string_view pattern = nameIn(destination + slash, kArgument - slash);
    if (pattern.size() > kNamePatternLength) {
      job.fail();
      return;
    }
    std::memcpy(namePattern, pattern.data(), pattern.size());
    destinationHasDirectory = slash != 0;
    destinationDirectory = std::string_view(destination, slash == 0 ? 0 : slash - 1);
  }
  const std::string_view prefix = sourcePrefix(source, wildcardPosition);
  bool nameDidNotFit = false;
  job.fail();
  // A pattern whose directory cannot be read matches nothing.
  for (const platform::DirectoryEntry& entry :
       platform::searchDirectory(nameIn(source, kArgument)).valueOr({})) {
    if (entry.size == 0) continue;
    if (!entry.nameFitsRecords || !fitsField(entry.name, kArgument)) {
      nameDidNotFit = true;
      continue;
    }
    std::string from(prefix);
    from += entry.name;
    std::string to;
    if (destinationIsDirectory) {
      to.assign(nameIn(destination, kArgument));
      to += '\\';
      to += entry.name;
    } else {
      char overlaid[kArgument];
      putPadded(overlaid, kArgument, entry.name);
      overlayName(overlaid, namePattern);
      if (destinationHasDirectory) {
        to.assign(destinationDirectory);
        to += '\\';
      }
      to += nameIn(overlaid, kArgument);
    }
    if (from.size() > kArgument || to.size() > kArgument) {
      nameDidNotFit = true;
      continue;
    }
    platform::copyFile(from, to);
    job.succeed();
  }
  if (nameDidNotFit) job.fail();
}

}  // namespace

std::size_t findLastSeparatorOrWildcard(const char* area) {
  for (std::size_t p = kArgument; p > 0; --p) {
    char c = area[p - 1];
    if (c == '\\' || c == '*' || c == '?') return p;
  }
  return 0;
}

void overlayName(char* name, const char* pattern) {
  for (std::size_t k = 0; k < kNamePatternLength; ++k) {
    if (pattern[k] == ' ' || pattern[k] == '*') return;
    if (pattern[k] != '?') name[k] = pattern[k];
  }
}

void rewriteSwitches(char* buffer) {
  struct Rewrite {
    const char* pattern;
    const char* replacement;
  };
  static constexpr Rewrite kRewrites[] = {
      {"\\S ", "/S "}, {"\\s ", "/s "}, {"\\Q ", "/Q "}, {"\\q ", "/q "},
      {"\\Y ", "/Y "}, {"\\y ", "/y "}, {"\\B ", "/B "}, {"\\b ", "/b "},
      {" \\v\\i\\e", " /v/i/e"}, {" \\d\\v\\i\\e", " /d/v/i/e"},
  };
  for (const Rewrite& rewrite : kRewrites) {
    const std::size_t length = std::strlen(rewrite.pattern);
    std::size_t i = 0;
    while (i + length <= kCommandBufferLength) {
      if (std::memcmp(buffer + i, rewrite.pattern, length) == 0) {
        std::memcpy(buffer + i, rewrite.replacement, length);
        i += length;
      } else {
        ++i;
      }
    }
  }
}

void makeDirectoryPath(Job& job) {
  const std::string_view path = nameIn(job.record.argument1, kArgument);
  if (refusedByHost(path)) {
    job.fail();
    return;
  }
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  std::memcpy(buffer, job.record.argument1, kArgument);
  std::memset(job.record.argument1, ' ', kArgument);
  auto at = [&buffer](std::size_t p) { return buffer[p - 1]; };
  auto isParentStep = [&buffer](std::size_t p) {
    return std::memcmp(buffer + p - 1, "..\\", 3) == 0;
  };

  std::size_t p = 1;
  const bool network = at(1) == '\\' && at(2) == '\\';
  if ((at(2) == ':' && at(3) == '\\') || isParentStep(1)) {
    p = 4;
  } else if (at(1) == '.' && at(2) == '\\') {
    p = 3;
  }
  if (network) {
    p = 3;
    while (p < kArgument && at(p) != '\\') ++p;
  }
  for (;;) {
    while (isParentStep(p)) {
      p += 3;
      if (p > kArgument) return;
    }
    if (at(p) == ' ') {
      job.fail();
      return;
    }
    while (at(p) != '\\' && at(p) != ' ') ++p;  // stops at position 81 at the latest
    std::string_view prefix(buffer, p - 1);
    putPadded(job.record.argument1, kArgument, std::string_view(buffer, p > kArgument ? kArgument : p));
    if (p <= kArgument) job.record.argument1[p - 1] = ' ';
    if (!prefix.empty()) {
      if (!reachesHost(prefix)) {
        job.fail();
        return;
      }
      platform::createDirectory(prefix);
    }
    if (!network) {
      platform::DirectoryEntry entry;
      if (lookUpInformation(job, &entry) && entry.size != 0) {
        job.fail();
        return;
      }
    }
    if (at(p) == '\\') ++p;
    if (p > kArgument || at(p) == ' ') return;
  }
}

void removeDirectory(Job& job) {
  const std::string_view name = nameIn(job.record.argument1, kArgument);
  const bool reachable = reachesHost(name);
  if (reachable) platform::deleteDirectory(name);
  bool stillThere = lookUpInformation(job);
  if (!reachable || stillThere) {
    job.fail();
  } else {
    job.succeed();
  }
}

void reportCurrentDirectory(Job& job) {
  std::memset(job.record.argument1, ' ', kArgument);
  platform::Expected<std::string> host = platform::currentDirectory();
  std::string directory;
  if (!host || host->empty() || !platform::recordNameFromHost(*host, directory) ||
      directory.size() > kArgument) {
    job.fail();
    return;
  }
  putPadded(job.record.argument1, kArgument, directory);
}

void copyFiles(Job& job) {
  if (isBlank(job.record.argument2, kArgument)) putPadded(job.record.argument2, kArgument, ".");
  if (refusedByHost(nameIn(job.record.argument1, kArgument)) ||
      refusedByHost(nameIn(job.record.argument2, kArgument))) {
    job.fail();
    return;
  }
  platform::DirectoryEntry destination;
  const bool destinationIsDirectory =
      probe(job, nameIn(job.record.argument2, kArgument), destination) &&
      destination.isDirectory;
  const std::size_t position = findLastSeparatorOrWildcard(job.record.argument1);
  const char found = position == 0 ? ' ' : job.record.argument1[position - 1];
  if (found == '*' || found == '?') {
    copyPattern(job, destinationIsDirectory, position);
  } else {
    copySingleFile(job, destinationIsDirectory);
  }
}

void deleteFiles(Job& job) {
  const char* argument = job.record.argument1;
  const std::string name(nameIn(argument, kArgument));
  if (name.empty() || refusedByHost(name)) {
    job.fail();
    return;
  }
  const std::size_t position = findLastSeparatorOrWildcard(argument);
  const char found = position == 0 ? ' ' : argument[position - 1];
  if (found != '*' && found != '?') {
    platform::deleteFile(name);
    if (lookUpInformation(job)) {
      job.fail();
    } else {
      job.succeed();
    }
    return;
  }
  const std::string_view prefix = sourcePrefix(argument, position);
  bool nameDidNotFit = false;
  job.fail();
  for (const platform::DirectoryEntry& entry : platform::searchDirectory(name).valueOr({})) {
    if (entry.size == 0) continue;
    std::string target(prefix);
    target += entry.name;
    if (!entry.nameFitsRecords || !fitsField(entry.name, kArgument) ||
        target.size() > kArgument) {
      nameDidNotFit = true;
      continue;
    }
    platform::deleteFile(target);
    job.succeed();
  }
  if (nameDidNotFit) job.fail();
}

void renameFile(Job& job) {
  std::string_view oldName = nameIn(job.record.argument1, kArgument);
  std::string_view newName = nameIn(job.record.argument2, kArgument);
  if (!platform::renameFile(oldName, newName).ok() || !platform::lookUpEntry(newName).ok()) {
    job.fail();
  }
}

void runCommandInDirectory(Job& job) {
  const std::string_view directory = nameIn(job.record.argument2, kArgument);
  if (!directory.empty()) {
    // The drive is selected only when the directory names one ("D:\WORK", "D:WORK"): its
    // letter followed by ":". Both names must reach the host before anything is changed.
    const bool selectsDrive = namesDrive(directory);
    const std::string_view drive = directory.substr(0, 2);
    if ((selectsDrive && !reachesHost(drive)) || !reachesHost(directory)) {
      job.fail();
      return;
    }
    if (selectsDrive) platform::changeDirectory(drive);
    platform::changeDirectory(directory);
  }
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  std::memcpy(buffer, job.record.argument1, kArgument);
  if (!runCommandBuffer(buffer)) job.fail();
}

void runShellCommand(Job& job) {
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  std::memcpy(buffer, job.record.argument1, kArgument);
  std::memcpy(buffer + kArgument, job.record.argument2, kArgument);
  rewriteSwitches(buffer);
  if (!runCommandBuffer(buffer)) job.fail();
}

void dispatchVerb(Job& job) {
  if (verbIs(job, text::kVerbDirectoryList) || verbIs(job, text::kVerbDirectoryListLower)) {
    listInventory(job);
  } else if (verbIs(job, text::kVerbMakeDirectory) || verbIs(job, text::kVerbMakeDirectoryLower)) {
    makeDirectoryPath(job);
  } else if (verbIs(job, text::kVerbRemoveDirectory) ||
             verbIs(job, text::kVerbRemoveDirectoryLower)) {
    removeDirectory(job);
  } else if (verbIs(job, text::kVerbCurrentDirectory)) {
    reportCurrentDirectory(job);
  } else if (verbIs(job, text::kVerbCopia) || verbIs(job, text::kVerbCopy) ||
             verbIs(job, text::kVerbCopyLower)) {
    copyFiles(job);
  } else if (verbIs(job, text::kVerbApaga) || verbIs(job, text::kVerbDelete) ||
             verbIs(job, text::kVerbDeleteLower)) {
    deleteFiles(job);
  } else if (verbIs(job, text::kVerbRename) || verbIs(job, text::kVerbRenameLower)) {
    renameFile(job);
  } else if (verbIs(job, text::kVerbExecute)) {
    runCommandInDirectory(job);
  } else {
    runShellCommand(job);
  }
}

}  // namespace dunax::executor
