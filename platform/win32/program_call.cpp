// Calling an outside program by name on Windows: how a module file is spelled and found there
// (";" between the folders of COB_LIBRARY_PATH), LoadLibraryExW on full paths only (never
// the current folder or PATH, so that a planted DLL is never loaded), GetProcAddress and
// FreeLibrary. There is no COBOL run-time to start here.
#include "platform/program_call.h"

#include <windows.h>

#include <utility>

#include "platform/program_call_host.h"
#include "platform/win32/native_name.h"

namespace dunax::platform {
namespace {

bool isFileThere(const std::string& path) {
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

namespace host {

const ModuleSpelling& moduleSpelling() {
  static const ModuleSpelling spelling = {".dll", ';', "\\", "\\..\\lib\\dunax", ":",
                                          "any folder"};
  return spelling;
}

bool isModuleFile(const std::string& path) { return isFileThere(path); }

Expected<LoadedModule> loadModule(const std::string& path, const std::string& name) {
  const auto notFound = [](std::string words) {
    return Status::failure(StatusCode::NotFound, std::move(words));
  };
  const Expected<std::wstring> wide = win32::nativeName(path);
  if (!wide) return notFound(path + " does not load: " + wide.status().message());
  HMODULE module = loadFullPath(*wide);
  if (module == nullptr) return notFound(path + " does not load: " + loaderWords(GetLastError()));
  FARPROC symbol = GetProcAddress(module, name.c_str());
  if (symbol == nullptr) symbol = GetProcAddress(module, lowerCase(name).c_str());
  if (symbol == nullptr) {
    FreeLibrary(module);
    return notFound(path + " has no entry point " + name);
  }
  return LoadedModule{module, reinterpret_cast<void*>(symbol), false};
}

}  // namespace host

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
