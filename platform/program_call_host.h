// What the portable part of calling a program by name (module_search.cpp) and the host halves
// (posix/program_call.cpp, win32/program_call.cpp) share: how a program's name is taken, and
// the host's way of spelling and finding a module file.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

// The name as a caller's name field holds it, without its trailing spaces and NULs.
std::string programNameOf(std::string_view field);

// Whether name can name a module file: not empty, "." or "..", and without a separator, a
// control character, a space or a character the host forbids in a file name's part.
bool isProgramName(const std::string& name);

std::string lowerCase(std::string text);

namespace host {

// How this host spells a module's place: NAME.so in folders separated by ":" and "/", or
// NAME.dll, ";" and "\".
struct ModuleSpelling {
  const char* suffix;            // ".so", ".dll"
  char listSeparator;            // between the folders of COB_LIBRARY_PATH
  const char* pathSeparator;     // between a folder and a file
  const char* bundledFolder;     // the modules' folder, from the program's own folder
  const char* refusedInName;     // characters no program name holds, besides the portable ones
  const char* nowhere;           // what was searched when no folder was: "any directory"
};
const ModuleSpelling& moduleSpelling();

// A module loaded with its entry point.
struct LoadedModule {
  void* handle = nullptr;
  void* entry = nullptr;
  bool cobol = false;  // compiled by GnuCOBOL: its run-time has been started
};

// Loads the module file at path and looks up the entry point name (then its lower-case form).
// Returns NotFound with the loader's words when the file does not load or has no entry point.
Expected<LoadedModule> loadModule(const std::string& path, const std::string& name);

// Whether path names a file (not a folder) that is there.
bool isModuleFile(const std::string& path);

}  // namespace host
}  // namespace dunax::platform
