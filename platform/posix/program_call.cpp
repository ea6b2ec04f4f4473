// Calling an outside program by name on POSIX: the module search along COB_LIBRARY_PATH and
// beside the running program, dlopen/dlsym, and the GnuCOBOL run-time that COBOL modules need.
#include "platform/program_call.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/process.h"

namespace dunax::platform {
namespace {

// The signals whose handlers cob_init replaces with its own; the process keeps its own.
constexpr std::array<int, 5> kSignalsCobolTakes = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

struct CobolRuntime {
  void* library = nullptr;
  void (*tidy)() = nullptr;
  void (*cancel)(const char*) = nullptr;
  bool started = false;
  bool ended = false;  // cob_tidy has run: COBOL modules must no longer be touched
};

// Constant-initialised and without a destructor, so that it is still there for the objects
// that release their programs while the process ends.
CobolRuntime theCobolRuntime;

CobolRuntime& cobolRuntime() { return theCobolRuntime; }

// Starts libcob once, through the copy the module itself pulled in. Keeps libcob loaded for
// the life of the process and leaves the process's signal handlers as they were.
bool startCobolRuntime(void* moduleHandle, std::string& error) {
  CobolRuntime& runtime = cobolRuntime();
  if (runtime.started) return true;
  using InitFunction = void (*)(int, char**);
  auto init = reinterpret_cast<InitFunction>(dlsym(moduleHandle, "cob_init"));
  runtime.tidy = reinterpret_cast<void (*)()>(dlsym(moduleHandle, "cob_tidy"));
  runtime.cancel = reinterpret_cast<void (*)(const char*)>(dlsym(moduleHandle, "cob_cancel"));
  if (init == nullptr || runtime.tidy == nullptr || runtime.cancel == nullptr) {
    error = "the COBOL run-time (libcob) lacks cob_init, cob_tidy or cob_cancel";
    return false;
  }
  // Pin libcob: it must outlive every module that uses it.
  runtime.library = dlopen("libcob.so.4", RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
  if (runtime.library == nullptr) {
    runtime.library = dlopen("libcob.so", RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
  }
  std::array<struct sigaction, kSignalsCobolTakes.size()> saved{};
  for (std::size_t i = 0; i < kSignalsCobolTakes.size(); ++i) {
    sigaction(kSignalsCobolTakes[i], nullptr, &saved[i]);
  }
  static char programName[] = "dunax";
  static char* arguments[] = {programName, nullptr};
  init(1, arguments);
  for (std::size_t i = 0; i < kSignalsCobolTakes.size(); ++i) {
    sigaction(kSignalsCobolTakes[i], &saved[i], nullptr);
  }
  runtime.started = true;
  std::atexit(shutDownCobolRuntime);
  return true;
}

bool isSafeModuleName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || c == ' ') return false;
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
      std::size_t end = list.find(':', start);
      if (end == std::string::npos) end = list.size();
      if (end > start) directories.push_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  if (!own.empty()) {
    directories.push_back(own + "/../lib/dunax");
    directories.push_back(own);
  }
  return directories;
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
    return notFound(name_ + ".so was not found in " +
                    (search.searched.empty() ? "any directory" : search.searched));
  }
  const std::string& path = search.path;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* message = dlerror();
    return notFound(path + " does not load: " + (message ? message : "unknown reason"));
  }
  void* symbol = dlsym(handle, name_.c_str());
  if (symbol == nullptr) symbol = dlsym(handle, lowerCase(name_).c_str());
  if (symbol == nullptr) {
    dlclose(handle);
    return notFound(path + " has no entry point " + name_);
  }
  bool cobol = dlsym(handle, "cob_init") != nullptr;
  if (cobol && cobolRuntime().ended) {
    dlclose(handle);
    return notFound(path + " needs the COBOL run-time, which has already ended");
  }
  std::string runtimeError;
  if (cobol && !startCobolRuntime(handle, runtimeError)) {
    dlclose(handle);
    return notFound(runtimeError);
  }
  handle_ = handle;
  entry_ = symbol;
  cobol_ = cobol;
  return Status();
}

ModuleSearch findModule(std::string_view name, const std::string& ownDirectory) {
  ModuleSearch search;
  const std::string own = withoutTrailingSpaces(name);
  const bool safe = isSafeModuleName(own);
  const std::array<std::string, 2> fileNames = {own + ".so", lowerCase(own) + ".so"};
  for (const std::string& directory : searchDirectories(ownDirectory)) {
    for (const std::string& fileName : fileNames) {
      if (!safe) break;
      std::string path = directory + "/" + fileName;
      if (access(path.c_str(), F_OK) != 0) continue;
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
  if (cobol_ && cobolRuntime().ended) {
    // The run-time has closed everything already and the process is ending: cancelling or
    // unloading the module now would walk into freed run-time state.
    handle_ = nullptr;
    entry_ = nullptr;
    cobol_ = false;
    return;
  }
  if (cobol_ && cobolRuntime().cancel != nullptr) {
    // libcob keeps its own table of the programs it has seen; without the cancel a later
    // cob_tidy walks into the unloaded module.
    cobolRuntime().cancel(name_.c_str());
  }
  dlclose(handle_);
  handle_ = nullptr;
  entry_ = nullptr;
  cobol_ = false;
}

void shutDownCobolRuntime() {
  CobolRuntime& runtime = cobolRuntime();
  if (!runtime.started) return;
  runtime.started = false;
  runtime.ended = true;
  runtime.tidy();
}

}  // namespace dunax::platform
