// The portable part of calling a program by name: how a program's name is taken, the search of
// its module along COB_LIBRARY_PATH and beside the running program (and that path made to hold
// from another folder), and the calls through the entry point once the host's half has loaded
// it.
#include <array>
#include <cctype>
#include <cstring>
#include <vector>

#include "platform/process.h"
#include "platform/program_call.h"
#include "platform/program_call_host.h"

namespace dunax::platform {
namespace {

std::vector<std::string> searchDirectories(const std::string& own) {
  const host::ModuleSpelling& spelling = host::moduleSpelling();
  std::vector<std::string> directories;
  if (const char* path = environmentValue("COB_LIBRARY_PATH")) {
    std::string list = path;
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t end = list.find(spelling.listSeparator, start);
      if (end == std::string::npos) end = list.size();
      if (end > start) directories.push_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  if (!own.empty()) {
    directories.push_back(own + spelling.bundledFolder);
    directories.push_back(own);
  }
  return directories;
}

}  // namespace

std::string programNameOf(std::string_view field) {
  std::size_t length = field.size();
  while (length > 0 && (field[length - 1] == ' ' || field[length - 1] == '\0')) --length;
  return std::string(field.substr(0, length));
}

bool isProgramName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  const char* refused = host::moduleSpelling().refusedInName;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || c == ' ') return false;
    if (std::strchr(refused, c) != nullptr) return false;
  }
  return true;
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

ModuleSearch findModule(std::string_view name, const std::string& ownDirectory) {
  const host::ModuleSpelling& spelling = host::moduleSpelling();
  ModuleSearch search;
  const std::string own = programNameOf(name);
  const bool usable = isProgramName(own);
  const std::array<std::string, 2> fileNames = {own + spelling.suffix,
                                                lowerCase(own) + spelling.suffix};
  for (const std::string& directory : searchDirectories(ownDirectory)) {
    for (const std::string& fileName : fileNames) {
      if (!usable) break;
      std::string path = directory + spelling.pathSeparator + fileName;
      if (!host::isModuleFile(path)) continue;
      search.path = path;
      return search;
    }
    search.searched += (search.searched.empty() ? "" : ", ") + directory;
  }
  return search;
}

std::string moduleSearchPathUnder(std::string_view list, const std::string& base) {
  const host::ModuleSpelling& spelling = host::moduleSpelling();
  // "/x", or on Windows also "\\x" and a drive's "C:x" (the list separator there is ";").
  const auto isAbsolute = [&spelling](std::string_view folder) {
    if (folder[0] == '/' || folder[0] == spelling.pathSeparator[0]) return true;
    return spelling.listSeparator != ':' && folder.size() >= 2 && folder[1] == ':' &&
           std::isalpha(static_cast<unsigned char>(folder[0])) != 0;
  };
  std::string anchored;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(spelling.listSeparator, start);
    if (end == std::string_view::npos) end = list.size();
    const std::string_view folder = list.substr(start, end - start);
    if (start > 0) anchored += spelling.listSeparator;
    if (!folder.empty() && !isAbsolute(folder)) anchored += base + spelling.pathSeparator;
    anchored += folder;
    start = end + 1;
  }
  return anchored;
}

Status OutsideProgram::load() {
  if (entry_ != nullptr) return Status();
  if (!isProgramName(name_)) {
    return Status::failure(StatusCode::NotFound, "\"" + name_ + "\" is not a program name");
  }
  const ModuleSearch search = findModule(name_, programDirectory());
  if (search.path.empty()) {
    const host::ModuleSpelling& spelling = host::moduleSpelling();
    return Status::failure(StatusCode::NotFound,
                           name_ + spelling.suffix + " was not found in " +
                               (search.searched.empty() ? spelling.nowhere : search.searched));
  }
  const Expected<host::LoadedModule> loaded = host::loadModule(search.path, name_);
  if (!loaded) return loaded.status();
  handle_ = loaded->handle;
  entry_ = loaded->entry;
  cobol_ = loaded->cobol;
  return Status();
}

void OutsideProgram::setName(std::string_view name) {
  release();
  name_ = programNameOf(name);
}

Expected<int> OutsideProgram::call(void* arg1) {
  if (Status loaded = load(); !loaded.ok()) return loaded;
  auto entry = reinterpret_cast<int (*)(void*)>(entry_);
  return entry(arg1);
}

Expected<int> OutsideProgram::call(void* arg1, void* arg2) {
  if (Status loaded = load(); !loaded.ok()) return loaded;
  auto entry = reinterpret_cast<int (*)(void*, void*)>(entry_);
  return entry(arg1, arg2);
}

}  // namespace dunax::platform
