// Calling an outside program by name on POSIX: how a module file is spelled and found there,
// dlopen/dlsym, and the GnuCOBOL run-time that COBOL modules need.
#include "platform/program_call.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <utility>

#include "platform/program_call_host.h"

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

}  // namespace

namespace host {

const ModuleSpelling& moduleSpelling() {
  static const ModuleSpelling spelling = {".so", ':', "/", "/../lib/dunax", "", "any directory"};
  return spelling;
}

bool isModuleFile(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

Expected<LoadedModule> loadModule(const std::string& path, const std::string& name) {
  const auto notFound = [](std::string words) {
    return Status::failure(StatusCode::NotFound, std::move(words));
  };
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* message = dlerror();
    return notFound(path + " does not load: " + (message ? message : "unknown reason"));
  }
  void* symbol = dlsym(handle, name.c_str());
  if (symbol == nullptr) symbol = dlsym(handle, lowerCase(name).c_str());
  if (symbol == nullptr) {
    dlclose(handle);
    return notFound(path + " has no entry point " + name);
  }
  const bool cobol = dlsym(handle, "cob_init") != nullptr;
  if (cobol && cobolRuntime().ended) {
    dlclose(handle);
    return notFound(path + " needs the COBOL run-time, which has already ended");
  }
  std::string runtimeError;
  if (cobol && !startCobolRuntime(handle, runtimeError)) {
    dlclose(handle);
    return notFound(runtimeError);
  }
  return LoadedModule{handle, symbol, cobol};
}

}  // namespace host

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
