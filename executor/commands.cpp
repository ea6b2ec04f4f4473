// The command handlers of the executor and the dispatch on the verb.
#include "executor/commands.h"

#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "executor/information.h"
#include "executor/inventory.h"
#include "platform/command_execution.h"
#include "platform/directory_search.h"
#include "platform/file_routines.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"

namespace dunax::executor {
namespace {

constexpr std::size_t kArgument = kArgumentLength;  // 80
constexpr std::size_t kNamePatternLength = 40;

// The host's words for a failure, in Windows-1252 for the reply's reason.
std::string wordsOf(const platform::Status& status) {
  return platform::windows1252FromUtf8(status.message());
}

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

// Looks name up as the information lookup finds a name in argument 1 (up to its first space;
// a name longer than the argument is never found); the request is left as it was. Returns true
// and fills entry when the name is found.
bool probe(std::string_view name, platform::DirectoryEntry& entry) {
  if (name.size() > kArgument) return false;
  const platform::Expected<platform::DirectoryEntry> found =
      platform::lookUpEntry(nameIn(name.data(), name.size()));
  if (found) entry = *found;
  return found.ok();
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

// True when name (a request's name) is given but lands nowhere on this host: a drive or network
// name without its mapping, one that climbs out of it or leads out through a symbolic link, or
// one holding a byte with no character. The job then fails with the name and why.
bool refusedByHost(Job& job, std::string_view name) {
  const platform::Expected<std::string> host = platform::hostNameFromRecord(name);
  if (name.empty() || host) return false;
  job.fail(std::string(name) + ": " + host.status().message());
  return true;
}

// The name's host form, for telling whether two names built by one request are one file;
// the name itself when it has none.
std::string hostFormOf(std::string_view name) {
  return platform::hostNameFromRecord(name).valueOr(std::string(name));
}

// The reason of a copy from source to target that failed with status.
std::string copyFailure(std::string_view source, std::string_view target,
                        const platform::Status& status) {
  const platform::Expected<platform::DirectoryEntry> from = platform::lookUpEntry(source);
  if (!from) return std::string(source) + " was not found";
  if (from->isDirectory) return std::string(source) + " is a folder, not a file";
  return std::string(source) + " could not be copied to " + std::string(target) + ": " +
         wordsOf(status);
}

// Runs the command buffer (Windows-1252: argument 1, then argument 2 with its switches rewritten
// when shellLine, else spaces) through the host's shell, in the host's encoding, and keeps the
// command's exit status in the job. Fails the job, running nothing, when the buffer holds a byte
// with no character in the code page; fails it when the shell cannot be started.
void runCommandBuffer(Job& job, bool shellLine) {
  char buffer[kCommandBufferLength];
  std::memset(buffer, ' ', sizeof buffer);
  std::memcpy(buffer, job.record.argument1, kArgument);
  if (shellLine) {
    std::memcpy(buffer + kArgument, job.record.argument2, kArgument);
    rewriteSwitches(buffer);
  }
  const platform::Expected<std::string> command =
      platform::hostTextFromRecord(std::string_view(buffer, kCommandBufferLength));
  if (!command) {
    job.fail("the command holds a byte with no character in Windows-1252; nothing was run");
    return;
  }
  const platform::Expected<int> ended = platform::runCommandLine(*command);
  if (!ended) {
    job.fail("the shell could not be started: " + wordsOf(ended.status()));
    return;
  }
  job.exitStatus = *ended;
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
    job.fail("the target name " + target + " would be longer than 80 characters");
    return;
  }
  if (refusedByHost(job, target)) return;
  const std::string_view from = nameIn(source, kArgument);
  const platform::Status copied = platform::copyFile(from, target);
  platform::DirectoryEntry made;
  if (!copied.ok()) {
    job.fail(copyFailure(from, target, copied));
  } else if (!probe(target, made) || made.isDirectory) {
    job.fail(target + " was not found after the copy");
  }
}

// COPY of the non-empty files matching the pattern in argument 1. Every match is copied that
// can be; a match whose copy is not made (a name that does not fit or has no Windows-1252 form,
// a target an earlier copy of this request wrote, a copy that fails) fails the request, and so
// does a pattern that matches no non-empty file.
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
      job.fail("the destination name pattern " + std::string(pattern) +
               " is longer than 40 characters");
      return;
    }
    std::memcpy(namePattern, pattern.data(), pattern.size());
    destinationHasDirectory = slash != 0;
    destinationDirectory = std::string_view(destination, slash == 0 ? 0 : slash - 1);
  }
  const std::string_view prefix = sourcePrefix(source, wildcardPosition);
  std::set<std::string> written;  // host forms of the targets this request has written
  std::size_t matched = 0;
  std::size_t notMade = 0;
  std::string firstReason;
  auto notMadeBecause = [&notMade, &firstReason](std::string why) {
    if (notMade++ == 0) firstReason = std::move(why);
  };
  // A pattern whose directory cannot be read matches nothing.
  for (const platform::DirectoryEntry& entry :
       platform::searchDirectory(nameIn(source, kArgument)).valueOr({})) {
    if (entry.size == 0) continue;
    ++matched;
    if (!entry.nameFitsRecords || !fitsField(entry.name, kArgument)) {
      notMadeBecause("a match whose name has no Windows-1252 form or holds a space was not "
                     "copied");
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
      notMadeBecause(from + " was not copied: a name would be longer than 80 characters");
      continue;
    }
    if (!written.insert(hostFormOf(to)).second) {
      notMadeBecause(from + " was not copied: " + to +
                     " was already written by an earlier copy of this request");
      continue;
    }
    const platform::Status copied = platform::copyFile(from, to);
    if (!copied.ok()) notMadeBecause(copyFailure(from, to, copied));
  }
  if (matched == 0) {
    job.fail("no non-empty file matches " + std::string(nameIn(source, kArgument)));
  } else if (notMade > 0) {
    job.fail(notMade == 1 ? firstReason
                          : firstReason + " (" + std::to_string(notMade) + " of " +
                                std::to_string(matched) + " copies not made)");
  }
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
  const std::string path(nameIn(job.record.argument1, kArgument));
  if (refusedByHost(job, path)) return;
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
  } else if (at(1) == '\\' && at(2) != '\\') {
    p = 2;  // "\TOPO": the root of the current drive, which is there already
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
      job.fail(path.empty() ? std::string("no folder is named")
                            : "there is no folder to create in " + path);
      return;
    }
    while (at(p) != '\\' && at(p) != ' ') ++p;  // stops at position 81 at the latest
    std::string_view prefix(buffer, p - 1);
    putPadded(job.record.argument1, kArgument, std::string_view(buffer, p > kArgument ? kArgument : p));
    if (p <= kArgument) job.record.argument1[p - 1] = ' ';
    platform::Status created;
    if (!prefix.empty()) {
      if (refusedByHost(job, prefix)) return;
      created = platform::createDirectory(prefix);
    }
    if (!network) {
      platform::DirectoryEntry entry;
      const bool found = lookUpInformation(job, &entry);
      if (found && entry.size != 0) {
        job.fail(std::string(prefix) + " is a file, not a folder");
        return;
      }
      if (!found && !created.ok()) {
        job.fail(std::string(prefix) + " could not be created: " + wordsOf(created));
      }
    }
    if (at(p) == '\\') ++p;
    if (p > kArgument || at(p) == ' ') return;
  }
}

void removeDirectory(Job& job) {
  const std::string name(nameIn(job.record.argument1, kArgument));
  if (name.empty() || refusedByHost(job, name)) {
    writeInformationLayout(job.record.argument1, nullptr);
    if (name.empty()) job.fail("no folder is named");
    return;
  }
  const platform::Status removed = platform::deleteDirectory(name);
  platform::DirectoryEntry entry;
  if (!lookUpInformation(job, &entry)) {
    job.succeed();
  } else if (removed.is(platform::StatusCode::NotEmpty)) {
    job.fail(name + ": the folder is not empty");
  } else if (!entry.isDirectory || removed.is(platform::StatusCode::NotDirectory)) {
    job.fail(name + " is not a folder");
  } else {
    job.fail(name + " could not be removed: " + wordsOf(removed));
  }
}

void reportCurrentDirectory(Job& job) {
  std::memset(job.record.argument1, ' ', kArgument);
  platform::Expected<std::string> host = platform::currentDirectory();
  if (!host || host->empty()) {
    job.fail("the current folder cannot be read" +
             (host ? std::string() : ": " + wordsOf(host.status())));
    return;
  }
  const platform::Expected<std::string> directory = platform::recordNameFromHost(*host);
  if (!directory) {
    job.fail("the current folder's name has no Windows-1252 form");
    return;
  }
  if (directory->size() > kArgument) {
    job.fail("the current folder's name is longer than 80 characters");
    return;
  }
  putPadded(job.record.argument1, kArgument, *directory);
}

void copyFiles(Job& job) {
  if (isBlank(job.record.argument2, kArgument)) putPadded(job.record.argument2, kArgument, ".");
  if (isBlank(job.record.argument1, kArgument)) {
    job.fail("no file to copy is named");
    return;
  }
  if (refusedByHost(job, nameIn(job.record.argument1, kArgument)) ||
      refusedByHost(job, nameIn(job.record.argument2, kArgument))) {
    return;
  }
  platform::DirectoryEntry destination;
  const bool destinationIsDirectory =
      probe(nameIn(job.record.argument2, kArgument), destination) &&
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
  if (name.empty()) {
    job.fail("no file is named");
    return;
  }
  if (refusedByHost(job, name)) return;
  const std::size_t position = findLastSeparatorOrWildcard(argument);
  const char found = position == 0 ? ' ' : argument[position - 1];
  if (found != '*' && found != '?') {
    const platform::Status deleted = platform::deleteFile(name);
    platform::DirectoryEntry entry;
    if (!lookUpInformation(job, &entry)) {
      job.succeed();
    } else if (entry.isDirectory) {
      job.fail(name + " is a folder, not a file");
    } else {
      job.fail(name + " is still there: " + wordsOf(deleted));
    }
    return;
  }
  // Every non-empty match is deleted that can be; one that is still there afterwards (or was
  // left alone: a name that does not fit or has no Windows-1252 form) fails the request.
  const std::string_view prefix = sourcePrefix(argument, position);
  std::size_t matched = 0;
  std::size_t left = 0;
  std::string firstReason;
  for (const platform::DirectoryEntry& entry : platform::searchDirectory(name).valueOr({})) {
    if (entry.size == 0) continue;
    ++matched;
    std::string target(prefix);
    target += entry.name;
    std::string why;
    if (!entry.nameFitsRecords || !fitsField(entry.name, kArgument) ||
        target.size() > kArgument) {
      why = "a match whose name has no Windows-1252 form, holds a space or is too long was "
            "left alone";
    } else {
      const platform::Status deleted = platform::deleteFile(target);
      if (platform::lookUpEntry(target).ok()) {
        why = target + " is still there: " + wordsOf(deleted);
      }
    }
    if (!why.empty() && left++ == 0) firstReason = why;
  }
  if (matched == 0) {
    job.fail("no non-empty file matches " + name);
  } else if (left > 0) {
    job.fail(left == 1 ? firstReason
                       : firstReason + " (" + std::to_string(left) + " of " +
                             std::to_string(matched) + " matches left)");
  }
}

void renameFile(Job& job) {
  const std::string oldName(nameIn(job.record.argument1, kArgument));
  const std::string newName(nameIn(job.record.argument2, kArgument));
  if (oldName.empty() || newName.empty()) {
    job.fail(oldName.empty() ? "no file to rename is named" : "no new name is given");
    return;
  }
  if (refusedByHost(job, oldName) || refusedByHost(job, newName)) return;
  const platform::Status renamed = platform::renameFile(oldName, newName);
  if (!renamed.ok()) {
    if (renamed.is(platform::StatusCode::AlreadyExists)) {
      job.fail(newName + " already exists");
    } else if (!platform::lookUpEntry(oldName).ok()) {
      job.fail(oldName + " was not found");
    } else {
      job.fail(oldName + " could not be renamed to " + newName + ": " + wordsOf(renamed));
    }
  } else if (!platform::lookUpEntry(newName).ok()) {
    job.fail(newName + " was not found after the rename");
  }
}

void runCommandInDirectory(Job& job) {
  const std::string_view directory = nameIn(job.record.argument2, kArgument);
  if (!directory.empty()) {
    // The drive is selected only when the directory names one ("D:\WORK", "D:WORK"): its
    // letter followed by ":". Both names must reach the host before anything is changed.
    const char letter = directory.size() >= 2 && directory[1] == ':' ? directory[0] : '\0';
    const bool selectsDrive = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    const std::string drive(directory.substr(0, 2));
    if ((selectsDrive && refusedByHost(job, drive)) || refusedByHost(job, directory)) return;
    if (selectsDrive) {
      const platform::Status selected = platform::changeDirectory(drive);
      if (!selected.ok()) {
        job.fail("drive " + drive + " cannot be selected: " + wordsOf(selected) +
                 "; nothing was run");
        return;
      }
    }
    const platform::Status entered = platform::changeDirectory(directory);
    if (!entered.ok()) {
      job.fail("the folder " + std::string(directory) + " cannot be entered: " +
               wordsOf(entered) + "; nothing was run");
      return;
    }
  }
  runCommandBuffer(job, false);
}

void runShellCommand(Job& job) { runCommandBuffer(job, true); }

void dispatchVerb(Job& job) {
  if (verbIs(job, layouts::kVerbDirectoryList) || verbIs(job, layouts::kVerbDirectoryListLower)) {
    listInventory(job);
  } else if (verbIs(job, layouts::kVerbMakeDirectory) ||
             verbIs(job, layouts::kVerbMakeDirectoryLower)) {
    makeDirectoryPath(job);
  } else if (verbIs(job, layouts::kVerbRemoveDirectory) ||
             verbIs(job, layouts::kVerbRemoveDirectoryLower)) {
    removeDirectory(job);
  } else if (verbIs(job, layouts::kVerbCurrentDirectory)) {
    reportCurrentDirectory(job);
  } else if (verbIs(job, layouts::kVerbCopia) || verbIs(job, layouts::kVerbCopy) ||
             verbIs(job, layouts::kVerbCopyLower)) {
    copyFiles(job);
  } else if (verbIs(job, layouts::kVerbApaga) || verbIs(job, layouts::kVerbDelete) ||
             verbIs(job, layouts::kVerbDeleteLower)) {
    deleteFiles(job);
  } else if (verbIs(job, layouts::kVerbRename) || verbIs(job, layouts::kVerbRenameLower)) {
    renameFile(job);
  } else if (verbIs(job, layouts::kVerbExecute)) {
    runCommandInDirectory(job);
  } else {
    runShellCommand(job);
  }
}

}  // namespace dunax::executor
