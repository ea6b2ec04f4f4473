// The tests' shared helpers on Windows: temporary directories, environment variables, loaded
// modules, and running a program (CreateProcessW with no console, in a job object so that a
// program that overstays is ended with everything it started).
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <random>

#include "platform/win32/wide_text.h"
#include "tests/support/test_support.h"

namespace dunax::testing {
namespace {

using platform::win32::utf8FromWide;
using platform::win32::wideFromUtf8;

std::wstring withBackslashes(const std::string& path) {
  std::wstring wide = wideFromUtf8(path);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

// One argument quoted as the C run-time splits a command line: in double quotes, backslashes
// doubled where they come before a quote, quotes escaped.
std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}

std::wstring upperName(const std::wstring& entry) {
  std::wstring name = entry.substr(0, entry.find(L'=', 1));
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
  return name;
}

// This process's environment with the extra entries put in (replacing entries of the same
// name), sorted by name as Windows keeps it, as one block ending in two NULs.
std::wstring environmentBlock(const std::vector<std::string>& extra) {
  std::vector<std::wstring> entries;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
      entries.emplace_back(entry);
    }
    FreeEnvironmentStringsW(strings);
  }
  for (const std::string& text : extra) {
    std::wstring entry = wideFromUtf8(text);
    std::wstring name = upperName(entry);
    std::erase_if(entries, [&](const std::wstring& e) { return upperName(e) == name; });
    entries.push_back(entry);
  }
  std::stable_sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
    return upperName(a) < upperName(b);
  });
  std::wstring block;
  for (const std::wstring& entry : entries) {
    block += entry;
    block += L'\0';
  }
  block += L'\0';
  return block;
}

}  // namespace

void setVariable(const std::string& name, const char* value) {
  const std::wstring wideName = wideFromUtf8(name);
  const std::wstring wideValue = value != nullptr ? wideFromUtf8(value) : std::wstring();
  _wputenv_s(wideName.c_str(), wideValue.c_str());  // "" removes it from the C run-time's copy
  SetEnvironmentVariableW(wideName.c_str(), value != nullptr ? wideValue.c_str() : nullptr);
}

std::string makeTemporaryDirectory(const std::string& prefix) {
  wchar_t temporary[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
  if (length == 0 || length > MAX_PATH) return "";
  std::mt19937 random(std::random_device{}() ^ GetCurrentProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring path = std::wstring(temporary, length) + wideFromUtf8(prefix) +
                        std::to_wstring(random() % 100000000u);
    if (CreateDirectoryW(path.c_str(), nullptr)) return utf8FromWide(path);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
  return "";
}

bool moduleIsLoaded(const std::string& path) {
  wchar_t full[32768];
  const DWORD length = GetFullPathNameW(withBackslashes(path).c_str(), 32768, full, nullptr);
  if (length == 0 || length >= 32768) return false;
  HMODULE module = nullptr;
  return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, full, &module) != 0;
}

RunResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& directory, const std::vector<std::string>& environment,
                     int timeoutSeconds) {
  RunResult result;
  std::string file = program;
  if (!fileExists(file) && fileExists(file + kProgramSuffix)) file += kProgramSuffix;
  const std::wstring application = withBackslashes(file);
  std::wstring commandLine = quoted(application);
  for (const std::string& argument : arguments) commandLine += L" " + quoted(wideFromUtf8(argument));
  const std::string outputPath = directory + "/.run-output";

  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE in = CreateFileW(L"NUL", GENERIC_READ, share, &inheritable, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateFileW(withBackslashes(outputPath).c_str(), GENERIC_WRITE, share, &inheritable,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE) {
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    result.output = "cannot open the null device or " + outputPath;
    return result;
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = out;
  std::wstring block = environmentBlock(environment);
  PROCESS_INFORMATION process = {};
  // No console (the programs run unattended); suspended until it is in the job.
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | DETACHED_PROCESS | CREATE_SUSPENDED;
  const BOOL started = CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      flags, block.data(), withBackslashes(directory).c_str(),
                                      &startup, &process);
  const DWORD startError = GetLastError();
  CloseHandle(in);
  CloseHandle(out);
  if (!started) {
    result.output = "cannot start " + file + " (error " + std::to_string(startError) + ")";
    return result;
  }
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (job != nullptr) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    AssignProcessToJobObject(job, process.hProcess);
  }
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  const DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutSeconds) * 1000);
  DWORD exitCode = 0;
  if (waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &exitCode)) {
    result.exitCode = static_cast<int>(exitCode);
  } else {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  CloseHandle(process.hProcess);
  if (job != nullptr) CloseHandle(job);  // ends whatever it left running
  result.output = readFile(outputPath);
  DeleteFileW(withBackslashes(outputPath).c_str());
  return result;
}

}  // namespace dunax::testing
