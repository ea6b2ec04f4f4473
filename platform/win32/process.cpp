// The running process on Windows: the program's own directory (GetModuleFileNameW), the end of
// a run, and the environment in UTF-8 (Get/SetEnvironmentVariableW, the C run-time's copy kept
// in step).
#include "platform/process.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/program_call.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

// The values environmentValue has handed out, by name: each stays valid until the variable is
// read again with another value.
SRWLOCK gValuesLock = SRWLOCK_INIT;
std::map<std::string, std::string>& valuesHandedOut() {
  static std::map<std::string, std::string> values;
  return values;
}

bool validName(const char* name) {
  return name != nullptr && name[0] != '\0' && std::string(name).find('=') == std::string::npos;
}

}  // namespace

std::string programDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  std::string full = win32::utf8FromWide(path);
  const std::size_t separator = full.find_last_of("\\/");
  if (separator == std::string::npos) return {};
  // The root of a drive keeps its separator: "C:" alone would be that drive's current directory.
  if (separator == 2 && full[1] == ':') return full.substr(0, 3);
  return full.substr(0, separator);
}

void endProcess(int exitCode) {
  shutDownCobolRuntime();
  std::fflush(nullptr);
  std::exit(exitCode);
}

const char* environmentValue(const char* name) {
  if (!validName(name)) return nullptr;
  const std::wstring wideName = win32::wideFromUtf8(name);
  std::wstring value(128, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return nullptr;
      value.clear();  // set, and empty
      break;
    }
    if (length < value.size()) {
      value.resize(length);
      break;
    }
    value.resize(length);  // the size needed, its terminating NUL included
  }
  std::string text = win32::utf8FromWide(value);
  AcquireSRWLockExclusive(&gValuesLock);
  std::string& kept = valuesHandedOut()[name];
  if (kept != text) kept = std::move(text);
  const char* handedOut = kept.c_str();
  ReleaseSRWLockExclusive(&gValuesLock);
  return handedOut;
}

Status setEnvironmentValue(const char* name, const char* value) {
  if (!validName(name)) {
    return Status::failure(StatusCode::InvalidName,
                           "an environment variable's name must be given and hold no \"=\"");
  }
  const std::wstring wideName = win32::wideFromUtf8(name);
  const std::wstring wideValue = win32::wideFromUtf8(value != nullptr ? value : "");
  // The C run-time's copy first (it drops a variable set to empty, in its copy and in the
  // process's), then the process's environment, which the programs started from now on get.
  const std::wstring assignment = wideName + L"=" + wideValue;
  _wputenv(assignment.c_str());
  if (!SetEnvironmentVariableW(wideName.c_str(), wideValue.c_str())) {
    return Status::fromNative(static_cast<int>(GetLastError()));
  }
  return Status();
}

unsigned long currentProcessId() { return GetCurrentProcessId(); }

}  // namespace dunax::platform
