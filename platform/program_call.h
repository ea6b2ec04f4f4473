// Calling an outside program by name: a loadable module NAME.so (NAME.dll on Windows) found on
// COB_LIBRARY_PATH, then beside the running program (../lib/dunax, then its own directory),
// entered through the C symbol NAME with every argument passed by reference. Modules compiled
// by GnuCOBOL are called the same way; libcob is then kept loaded and initialised once.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

// An outside program known by its name. The module is loaded by the first call and stays
// loaded, with its entry point looked up once, until release() or destruction.
class OutsideProgram {
 public:
  OutsideProgram() = default;
  // name is the name field as the caller holds it; trailing spaces (and NULs) are removed.
  explicit OutsideProgram(std::string_view name) { setName(name); }
  ~OutsideProgram() { release(); }
  OutsideProgram(const OutsideProgram&) = delete;
  OutsideProgram& operator=(const OutsideProgram&) = delete;

  // Names another program; the one loaded before is released.
  void setName(std::string_view name);
  const std::string& name() const { return name_; }

  // Calls the program, loading it first when needed.
  // Returns the program's return code, or the failure of load() when it cannot be found.
  Expected<int> call(void* arg1);
  Expected<int> call(void* arg1, void* arg2);

  // Loads the program now without calling it (nothing happens when it is loaded already).
  // Returns success, or NotFound when it cannot be found: no module file, a file that does not
  // load, no entry point, a name that names no program. The words say why for a user: the
  // directories searched or the loader's own message.
  Status load();
  bool isLoaded() const { return entry_ != nullptr; }

  // Unloads the module (a COBOL module is cancelled in libcob first); the next call loads it
  // afresh. Nothing happens when it is not loaded.
  void release();

 private:
  std::string name_;
  void* handle_ = nullptr;
  void* entry_ = nullptr;  // the entry point, cast to the arity of each call
  bool cobol_ = false;
};

// Where the module of an outside program lies, found exactly as OutsideProgram finds it, for a
// program whose file is in ownDirectory (a manager checks its converter's search this way).
struct ModuleSearch {
  std::string path;      // the module file found; empty when there is none
  std::string searched;  // the directories searched, in order, separated by ", "
};

// Searches NAME.so, then name.so, in each directory of COB_LIBRARY_PATH (":" between them), then
// in ownDirectory/../lib/dunax, then in ownDirectory (these two left out when it is empty); on
// Windows NAME.dll and name.dll, ";" between the directories, "\" as separator. name is
// taken as OutsideProgram takes it (trailing spaces removed). Only the file is looked for: that
// it loads and has its entry point is seen by the call.
ModuleSearch findModule(std::string_view name, const std::string& ownDirectory);

// How this host ends a module's file name: ".so", or ".dll" on Windows.
const char* moduleFileSuffix();

// The module search path (COB_LIBRARY_PATH's value, folders separated by ":", or ";" on
// Windows) with every relative folder put under base, so that it names the same folders from
// another current folder. Absolute folders ("/x"; on Windows also "\\x" and "C:\x") and empty
// entries are kept.
std::string moduleSearchPathUnder(std::string_view list, const std::string& base);

// Ends the COBOL run-time when one was started (files its modules left open are closed so that
// their records are kept). Called on every way out of a program; safe to call more than once.
void shutDownCobolRuntime();

}  // namespace dunax::platform
