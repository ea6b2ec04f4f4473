// The in-memory host of the fuzz targets: the platform's file routines, directory search,
// command execution and record files over a map of names, with what was asked kept for checks.
#include "tests/fuzz/in_memory_platform.h"

#include <cerrno>
#include <cstring>

#include "platform/command_execution.h"
#include "platform/directory_search.h"
#include "platform/file_routines.h"
#include "platform/host_path.h"
#include "platform/record_file.h"

namespace dunax::fuzz {
namespace {

// The parent of a normalised absolute path ("/" for a name in the root).
std::string parentOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string lastPartOf(const std::string& path) {
  if (path == "/") return path;
  return path.substr(path.rfind('/') + 1);
}

bool isDirectory(const std::string& path) {
  if (path == "/") return true;
  auto found = memoryHost().entries.find(path);
  return found != memoryHost().entries.end() && found->second.isDirectory;
}

const MemoryEntry* find(const std::string& path) {
  static const MemoryEntry root{true, 0};
  if (path == "/") return &root;
  auto found = memoryHost().entries.find(path);
  return found == memoryHost().entries.end() ? nullptr : &found->second;
}

bool hasChildren(const std::string& path) {
  const std::string prefix = path == "/" ? "/" : path + "/";
  auto next = memoryHost().entries.lower_bound(prefix);
  return next != memoryHost().entries.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

// The request's name as a normalised host path; false for a name no host can hold.
bool resolve(std::string_view name, std::string& path) {
  memoryHost().namesUsed.emplace_back(name);
  const platform::Expected<std::string> host = platform::hostNameFromRecord(name);
  if (!host) return false;
  path = normalisedPath(*host);
  return true;
}

// The directory entry of the host name name, its name in the record's form.
platform::DirectoryEntry entryFor(const std::string& name, const MemoryEntry& entry) {
  platform::DirectoryEntry out;
  platform::nameEntryFromHost(out, name);
  out.isDirectory = entry.isDirectory;
  out.size = entry.isDirectory ? 0 : entry.size;
  out.modified = platform::LocalTime{2024, 2, 29, 13, 45, 58};
  return out;
}

}  // namespace

MemoryHost& memoryHost() {
  static MemoryHost host;
  return host;
}

std::string normalisedPath(std::string_view hostPath) {
  std::string full(hostPath);
  if (full.empty() || full[0] != '/') full = memoryHost().currentDirectory + "/" + full;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= full.size()) {
    std::size_t end = full.find('/', start);
    if (end == std::string::npos) end = full.size();
    std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

bool addMemoryEntry(std::string_view name, bool directory, std::uint64_t size) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  std::string path = normalisedPath(name);
  if (path == "/") return false;
  for (std::string parent = parentOf(path); parent != "/"; parent = parentOf(parent)) {
    const MemoryEntry* found = find(parent);
    if (found != nullptr && !found->isDirectory) return false;
    memoryHost().entries[parent] = MemoryEntry{true, 0};
  }
  if (find(path) != nullptr) return false;
  memoryHost().entries[path] = MemoryEntry{directory, directory ? 0 : size};
  return true;
}

void resetMemoryHost() {
  MemoryHost& host = memoryHost();
  host = MemoryHost{};
  host.entries["/work"] = MemoryEntry{true, 0};
  addMemoryEntry("tmp", true, 0);
  addMemoryEntry("COMUNS/CLIENTES", false, 1234);
  addMemoryEntry("COMUNS/CLIENTES.IDX", false, 10);
  addMemoryEntry("COMUNS/VAZIO", false, 0);
  addMemoryEntry("EMP001/2021/ABCDEFGHIJ.DAT", false, 7);
  addMemoryEntry("EMP001/2021/MES01/DIA/FICHA", false, 3);
  addMemoryEntry("EMP001/BACKUP/COPIA", false, 5);
  addMemoryEntry("EMP002/CONTAS", false, 2048);
  addMemoryEntry("D/F.DAT", false, 100);
  addMemoryEntry("D/G.DAT", false, 200);
  addMemoryEntry("D/E.TMP", false, 0);
  addMemoryEntry("E", true, 0);
}

}  // namespace dunax::fuzz

namespace dunax::platform {

using fuzz::memoryHost;
using fuzz::MemoryEntry;

Status createDirectory(std::string_view name) {
  std::string path;
  if (!fuzz::resolve(name, path)) return Status::fromNative(EINVAL);
  if (fuzz::find(path) != nullptr) return Status::fromNative(EEXIST);
  if (!fuzz::isDirectory(fuzz::parentOf(path))) return Status::fromNative(ENOENT);
  memoryHost().entries[path] = MemoryEntry{true, 0};
  return Status();
}

Status deleteDirectory(std::string_view name) {
  std::string path;
  if (!fuzz::resolve(name, path)) return Status::fromNative(EINVAL);
  const MemoryEntry* found = fuzz::find(path);
  if (found == nullptr) return Status::fromNative(ENOENT);
  if (!found->isDirectory) return Status::fromNative(ENOTDIR);
  if (path == "/" || fuzz::hasChildren(path)) return Status::fromNative(ENOTEMPTY);
  memoryHost().entries.erase(path);
  return Status();
}

Status changeDirectory(std::string_view name) {
  std::string path;
  if (!fuzz::resolve(name, path)) return Status::fromNative(EINVAL);
  if (!fuzz::isDirectory(path)) return Status::fromNative(ENOENT);
  memoryHost().currentDirectory = path;
  return Status();
}

Expected<std::string> currentDirectory() { return memoryHost().currentDirectory; }

Status copyFile(std::string_view source, std::string_view target) {
  std::string from;
  std::string to;
  if (!fuzz::resolve(source, from) || !fuzz::resolve(target, to)) return Status::fromNative(EINVAL);
  const MemoryEntry* in = fuzz::find(from);
  if (in == nullptr) return Status::fromNative(ENOENT);
  if (in->isDirectory || from == to) return Status::fromNative(EINVAL);
  const MemoryEntry* out = fuzz::find(to);
  if (out != nullptr && out->isDirectory) return Status::fromNative(EISDIR);
  if (!fuzz::isDirectory(fuzz::parentOf(to))) return Status::fromNative(ENOENT);
  const std::uint64_t size = in->size;
  memoryHost().entries[to] = MemoryEntry{false, size};
  return Status();
}

Status deleteFile(std::string_view name) {
  std::string path;
  if (!fuzz::resolve(name, path)) return Status::fromNative(EINVAL);
  const MemoryEntry* found = fuzz::find(path);
  if (found == nullptr) return Status::fromNative(ENOENT);
  if (found->isDirectory) return Status::fromNative(EISDIR);
  memoryHost().entries.erase(path);
  return Status();
}

Status renameFile(std::string_view oldName, std::string_view newName) {
  std::string from;
  std::string to;
  if (!fuzz::resolve(oldName, from) || !fuzz::resolve(newName, to)) {
    return Status::fromNative(EINVAL);
  }
  if (from == "/" || fuzz::find(from) == nullptr) return Status::fromNative(ENOENT);
  if (fuzz::find(to) != nullptr) return Status::fromNative(EEXIST);
  if (!fuzz::isDirectory(fuzz::parentOf(to))) return Status::fromNative(ENOENT);
  // Into itself.
  if (to.compare(0, from.size() + 1, from + "/") == 0) return Status::fromNative(EINVAL);
  auto& entries = memoryHost().entries;
  std::map<std::string, MemoryEntry> moved;
  const std::string prefix = from + "/";
  for (auto it = entries.begin(); it != entries.end();) {
    if (it->first == from || it->first.compare(0, prefix.size(), prefix) == 0) {
      moved[to + it->first.substr(from.size())] = it->second;
      it = entries.erase(it);
    } else {
      ++it;
    }
  }
  entries.insert(moved.begin(), moved.end());
  return Status();
}

Expected<std::vector<DirectoryEntry>> searchDirectory(std::string_view pattern) {
  std::vector<DirectoryEntry> out;
  memoryHost().namesUsed.emplace_back(pattern);
  const Expected<std::string> mapped = hostNameFromRecord(pattern);
  if (!mapped) return Status::fromNative(EINVAL);
  const std::string& host = *mapped;
  std::size_t slash = host.rfind('/');
  std::string directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : host.substr(0, slash));
  std::string namePattern =
      recordNameFromHost(slash == std::string::npos ? host : host.substr(slash + 1)).valueOr("");
  if (namePattern.empty()) return Status::fromNative(EINVAL);
  const std::string path = fuzz::normalisedPath(directory);
  if (!fuzz::isDirectory(path)) return Status::fromNative(ENOENT);
  static const MemoryEntry kDirectory{true, 0};
  for (const char* dots : {".", ".."}) {
    if (matchesWildcard(namePattern, dots)) out.push_back(fuzz::entryFor(dots, kDirectory));
  }
  const std::string prefix = path == "/" ? "/" : path + "/";
  for (auto it = memoryHost().entries.lower_bound(prefix);
       it != memoryHost().entries.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    std::string name = it->first.substr(prefix.size());
    if (name.find('/') != std::string::npos) continue;  // deeper down
    if (name.find('\\') != std::string::npos) continue;  // never a Windows name: left out
    DirectoryEntry entry = fuzz::entryFor(name, it->second);
    if (matchesWildcard(namePattern, entry.name)) out.push_back(std::move(entry));
  }
  return out;  // "." and ".." first, then by name, as the host's sorted listing gives them
}

Expected<DirectoryEntry> lookUpEntry(std::string_view name) {
  std::string path;
  if (!fuzz::resolve(name, path)) return Status::fromNative(EINVAL);
  const MemoryEntry* found = fuzz::find(path);
  if (found == nullptr) return Status::fromNative(ENOENT);
  return fuzz::entryFor(fuzz::lastPartOf(path), *found);
}

Expected<int> runCommandLine(std::string_view commandLine) {
  std::size_t end = commandLine.find('\0');
  memoryHost().commandLines.emplace_back(commandLine.substr(0, end));
  return 0;
}

// Record files in memory: an open creates or checks the name, a write adds a record's length.

const FileSystemCalls& realFileSystemCalls() {
  static const FileSystemCalls calls = {};
  return calls;
}

RecordFile::RecordFile(Organization organization, std::size_t recordLength)
    : organization_(organization), recordLength_(recordLength), calls_(&realFileSystemCalls()) {}

RecordFile::~RecordFile() {
  if (isOpen()) close();
}

FileStatus RecordFile::open(const char* path, OpenMode mode, const char* /*permissionOf*/) {
  if (isOpen()) return status::kAlreadyOpen;
  if (mode == OpenMode::Closed) return status::kPermanentError;
  std::string name;
  if (!fuzz::resolve(path, name)) return status::kPermanentError;
  const MemoryEntry* found = fuzz::find(name);
  if (found != nullptr && found->isDirectory) return status::kPermissionDenied;
  if (mode == OpenMode::Input && found == nullptr) return status::kFileNotFound;
  if (!fuzz::isDirectory(fuzz::parentOf(name))) return status::kPermanentError;
  if (mode == OpenMode::Output || found == nullptr) memoryHost().entries[name] = MemoryEntry{};
  fd_ = 0;
  mode_ = mode;
  endReported_ = false;
  return status::kSuccess;
}

FileStatus RecordFile::readNext(void* /*record*/) {
  if (mode_ != OpenMode::Input) return status::kNotOpenForInput;
  if (endReported_) return status::kReadAfterEnd;
  endReported_ = true;
  return status::kEndOfFile;
}

FileStatus RecordFile::write(const void* /*record*/) {
  if (mode_ != OpenMode::Output && mode_ != OpenMode::Extend) return status::kNotOpenForOutput;
  ++memoryHost().recordsWritten;
  return status::kSuccess;
}

FileStatus RecordFile::close() {
  if (!isOpen()) return status::kNotOpen;
  fd_ = -1;
  mode_ = OpenMode::Closed;
  return status::kSuccess;
}

}  // namespace dunax::platform
