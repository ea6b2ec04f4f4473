// Calling an outside program by name on Windows: the module search along COB_LIBRARY_PATH (";"
// between folders) and beside the running program, LoadLibraryExW on full paths only (never
// the current folder or PATH, so that a planted DLL is never loaded), GetProcAddress and
// FreeLibrary. There is no COBOL run-time to start here.
#include "platform/program_call.h"

#include <windows.h>

#include <array>
#include <cctype>
#include <utility>
#include <vector>

#include "platform/process.h"
#include "platform/win32/native_name.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

bool isSafeModuleName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || u < 0x20 || c == ' ') return false;
  }
  return true;
}

std::string withoutTrailingSpaces(std::string_view name) {
  std::size_t length = name.size();
  while (length > 0 && (name[length - 1] == ' ' || name[length - 1] == '\0')) --length;
  return std::string(name.substr(0, length));
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> searchDirectories(const std::string& own) {
  std::vector<std::string> directories;
  if (const char* path = environmentValue("COB_LIBRARY_PATH")) {
    std::string list = path;
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t end = list.find(';', start);
      if (end == std::string::npos) end = list.size();
      if (end > start) directories.push_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  if (!own.empty()) {
    directories.push_back(own + "\\..\\lib\\dunax");
    directories.push_back(own);
  }
  return directories;
}

bool isFile(const std::string& path) {
  const Expected<std::wstring> wide = win32::nativeName(path);
  if (!wide) return false;
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The loader's words for why a module did not load.
std::string loaderWords(DWORD error) {
  std::string words = Status::fromNative(static_cast<int>(error)).message();
  // "%1 is not a valid Win32 application": the module is the "%1".
  const std::size_t insert = words.find("%1");
  if (insert != std::string::npos) words.replace(insert, 2, "the module");
  return words;
}

// Loads the module at path with the program's own folder and the system folder as the only
// places its own dependencies come from; never the current folder or PATH.
HMODULE loadFullPath(const std::wstring& path) {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  static const bool narrowed = [] {
    // Windows 8, and Vista or 7 with the loader update, can narrow every later load.
    auto setDefault = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    SetDllDirectoryW(L"");  // older systems: at least the current folder leaves the search
    return false;
  }();
  // No box on the screen for a module that does not load: the caller reports it.
  const UINT previousMode = SetErrorMode(0);
  SetErrorMode(previousMode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module =
      narrowed ? LoadLibraryExW(path.c_str(), nullptr,
                                LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)
               : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD error = GetLastError();
  SetErrorMode(previousMode);
  SetLastError(error);
  return module;
}

}  // namespace

void OutsideProgram::setName(std::string_view name) {
  release();
  name_ = withoutTrailingSpaces(name);
}

Status OutsideProgram::load() {
  if (entry_ != nullptr) return Status();
  const auto notFound = [](std::string words) {
    return Status::failure(StatusCode::NotFound, std::move(words));
  };
  if (!isSafeModuleName(name_)) return notFound("\"" + name_ + "\" is not a program name");
  const ModuleSearch search = findModule(name_, programDirectory());
  if (search.path.empty()) {
    return notFound(name_ + ".dll was not found in " +
                    (search.searched.empty() ? "any folder" : search.searched));
  }
  const std::string& path = search.path;
  const Expected<std::wstring> wide = win32::nativeName(path);
  if (!wide) return notFound(path + " does not load: " + wide.status().message());
  HMODULE module = loadFullPath(*wide);
  if (module == nullptr) return notFound(path + " does not load: " + loaderWords(GetLastError()));
  FARPROC symbol = GetProcAddress(module, name_.c_str());
  if (symbol == nullptr) symbol = GetProcAddress(module, lowerCase(name_).c_str());
  if (symbol == nullptr) {
    FreeLibrary(module);
    return notFound(path + " has no entry point " + name_);
  }
  handle_ = module;
  entry_ = reinterpret_cast<void*>(symbol);
  cobol_ = false;
  return Status();
}

ModuleSearch findModule(std::string_view name, const std::string& ownDirectory) {
  ModuleSearch search;
  const std::string own = withoutTrailingSpaces(name);
  const bool safe = isSafeModuleName(own);
  const std::array<std::string, 2> fileNames = {own + ".dll", lowerCase(own) + ".dll"};
  for (const std::string& directory : searchDirectories(ownDirectory)) {
    for (const std::string& fileName : fileNames) {
      if (!safe) break;
      std::string path = directory + "\\" + fileName;
      if (!isFile(path)) continue;
      search.path = path;
      return search;
    }
    search.searched += (search.searched.empty() ? "" : ", ") + directory;
  }
  return search;
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

void OutsideProgram::release() {
  if (handle_ == nullptr) return;
  FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
  entry_ = nullptr;
  cobol_ = false;
}

void shutDownCobolRuntime() {
  // Modules on Windows are called without a COBOL run-time of ours: nothing to end.
}

}  // namespace dunax::platform
