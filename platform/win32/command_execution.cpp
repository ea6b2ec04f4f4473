// Command execution on Windows: the command interpreter (ComSpec, else cmd.exe of the system
// directory) started with CreateProcessW as "/s /c" and the line in quotes, so that the line
// reaches it unchanged, and waited for.
#include "platform/command_execution.h"

#include <windows.h>

#include <string>

#include "platform/win32/standard_handles.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

// The command interpreter's file: ComSpec when it is set, else cmd.exe in the system directory.
std::wstring commandInterpreter() {
  wchar_t path[MAX_PATH + 1];
  DWORD length = GetEnvironmentVariableW(L"ComSpec", path, MAX_PATH + 1);
  if (length > 0 && length <= MAX_PATH) return std::wstring(path, length);
  length = GetSystemDirectoryW(path, MAX_PATH + 1);
  if (length > 0 && length <= MAX_PATH) return std::wstring(path, length) + L"\\cmd.exe";
  return L"cmd.exe";
}

}  // namespace

Expected<int> runCommandLine(std::string_view commandLine) {
  const std::string line(commandLine.substr(0, commandLine.find('\0')));
  const std::wstring interpreter = commandInterpreter();
  // With /s the interpreter takes away the first and the last quote and runs what is between.
  std::wstring command = L"\"" + interpreter + L"\" /s /c \"" + win32::wideFromUtf8(line) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  BOOL created = FALSE;
  {
    win32::InheritedStandardHandles handles;
    handles.fill(startup);
    created = CreateProcessW(interpreter.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &process);
  }
  if (!created) return Status::fromNative(static_cast<int>(GetLastError()));
  CloseHandle(process.hThread);
  Expected<int> result = Status::failure(StatusCode::Other);
  if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0) {
    result = Status::fromNative(static_cast<int>(GetLastError()));
  } else if (DWORD code = 0; GetExitCodeProcess(process.hProcess, &code)) {
    result = static_cast<int>(code);
  } else {
    result = Status::fromNative(static_cast<int>(GetLastError()));
  }
  CloseHandle(process.hProcess);
  return result;
}

}  // namespace dunax::platform
