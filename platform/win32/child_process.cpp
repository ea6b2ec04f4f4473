// Child processes on Windows: CreateProcessW with a command line quoted the way the C run-time
// splits it, a working directory, standard error in a temporary file that goes when its last
// handle closes, every child in one job object that ends them when this process ends, and waits
// on the process handles of the children not waited for yet.
#include "platform/child_process.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/win32/standard_handles.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

// A child started and not waited for yet: its process id and the handle of its process.
struct StartedChild {
  DWORD id;
  HANDLE process;
};

// The children not waited for yet. Starts run one at a time under the exclusive lock, so that
// no child inherits the standard handles made for another.
SRWLOCK gChildrenLock = SRWLOCK_INIT;
std::vector<StartedChild> gChildren;

Status notOurChild() {
  return Status::failure(StatusCode::NotFound,
                         "not a child of this process, or one waited for already");
}

Status withPath(const std::string& path, DWORD error) {
  Status status = Status::fromNative(static_cast<int>(error));
  return Status(status.code(), status.native(), path + ": " + status.message());
}

// The job every child joins: when this process ends, however it ends, the system closes the
// job's last handle and ends the children still in it. nullptr when none can be made.
HANDLE childrenJob() {
  static const HANDLE job = [] {
    HANDLE made = CreateJobObjectW(nullptr, nullptr);
    if (made == nullptr) return made;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
      CloseHandle(made);
      return HANDLE(nullptr);
    }
    return made;
  }();
  return job;
}

// An argument as the C run-time's command-line splitting gives it back: bare when it holds no
// blank or quote, else in quotes, with a quote written \" and the backslashes before a quote
// (or before the closing quote) doubled.
void appendQuotedArgument(const std::wstring& argument, std::wstring& line) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < argument.size() && argument[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == argument.size()) {
      line.append(backslashes * 2, L'\\');
      break;
    }
    if (argument[i] == L'"') {
      line.append(backslashes * 2 + 1, L'\\');
    } else {
      line.append(backslashes, L'\\');
    }
    line += argument[i];
  }
  line += L'"';
}

// An argument's text in UTF-16: UTF-8 when it is valid UTF-8, else its Windows-1252 bytes.
std::wstring wideArgument(const std::string& argument) {
  if (argument.empty()) return {};
  const int size = static_cast<int>(argument.size());
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, argument.data(), size,
                                   nullptr, 0);
  UINT codePage = CP_UTF8;
  DWORD flags = MB_ERR_INVALID_CHARS;
  if (length == 0) {
    codePage = 1252;
    flags = 0;
    length = MultiByteToWideChar(codePage, flags, argument.data(), size, nullptr, 0);
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, argument.data(), size, wide.data(), length);
  return wide;
}

// The command line of a child: the program's own name (split by the run-time without escapes,
// so only put in quotes, which it cannot hold), then the quoted arguments.
std::wstring commandLineOf(const std::string& path, const std::vector<std::string>& arguments) {
  std::wstring name = wideArgument(arguments.empty() ? path : arguments[0]);
  std::erase(name, L'"');
  std::wstring line;
  if (name.empty() || name.find_first_of(L" \t") != std::wstring::npos) {
    line = L"\"" + name + L"\"";
  } else {
    line = name;
  }
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    line += L' ';
    appendQuotedArgument(wideArgument(arguments[i]), line);
  }
  return line;
}

// The program file to start: path itself, or path with ".exe" when path names no file and its
// last part has no extension.
std::wstring programFileOf(const std::string& path) {
  std::wstring program = win32::wideFromUtf8(path);
  if (GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES) return program;
  const std::size_t lastPart = program.find_last_of(L"\\/");
  const std::size_t dot = program.rfind(L'.');
  if (dot != std::wstring::npos && (lastPart == std::wstring::npos || dot > lastPart)) {
    return program;
  }
  std::wstring withExtension = program + L".exe";
  if (GetFileAttributesW(withExtension.c_str()) != INVALID_FILE_ATTRIBUTES) return withExtension;
  return program;
}

// Opens a temporary file in the temporary directory for reading and writing that only its
// handles reach (no sharing) and that is deleted when the last of them closes. nullptr when
// none can be made.
HANDLE openErrorCaptureFile() {
  static std::atomic<unsigned> counter{0};
  wchar_t directory[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
  if (length == 0 || length > MAX_PATH) return nullptr;
  for (int attempt = 0; attempt < 8; ++attempt) {
    wchar_t name[64];
    std::swprintf(name, 64, L"dunax-stderr-%lu-%lu-%u.tmp", GetCurrentProcessId(),
                  GetTickCount(), counter.fetch_add(1));
    std::wstring path = std::wstring(directory) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (GetLastError() != ERROR_FILE_EXISTS) return nullptr;
  }
  return nullptr;
}

ChildEnd endOf(DWORD id, HANDLE process) {
  ChildEnd end;
  end.id = static_cast<int>(id);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  end.exited = true;
  end.exitCode = static_cast<int>(code);
  return end;
}

// The handle of the child with id, or nullptr when it is not one not waited for yet.
HANDLE processOf(int id) {
  AcquireSRWLockShared(&gChildrenLock);
  HANDLE found = nullptr;
  for (const StartedChild& child : gChildren) {
    if (static_cast<int>(child.id) == id) found = child.process;
  }
  ReleaseSRWLockShared(&gChildrenLock);
  return found;
}

// The end of the child with id, which has ended, and forgets it.
ChildEnd collect(int id) {
  AcquireSRWLockExclusive(&gChildrenLock);
  ChildEnd end;
  end.id = id;
  for (auto child = gChildren.begin(); child != gChildren.end(); ++child) {
    if (static_cast<int>(child->id) == id) {
      end = endOf(child->id, child->process);
      CloseHandle(child->process);
      gChildren.erase(child);
      break;
    }
  }
  ReleaseSRWLockExclusive(&gChildrenLock);
  return end;
}

// Waits for the child with id for at most timeout (INFINITE: without limit).
Expected<ChildEnd> waitFor(int id, DWORD timeout) {
  HANDLE process = processOf(id);
  if (process == nullptr) return notOurChild();
  const DWORD result = WaitForSingleObject(process, timeout);
  if (result == WAIT_OBJECT_0) return collect(id);
  if (result == WAIT_TIMEOUT) {
    return Status(StatusCode::TimedOut, WAIT_TIMEOUT, "the child was still running");
  }
  return Status::fromNative(static_cast<int>(GetLastError()));
}

}  // namespace

Status checkWorkingDirectory(const std::string& directory) {
  const std::wstring wide = win32::wideFromUtf8(directory);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return Status::fromNative(static_cast<int>(GetLastError()));
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return Status(StatusCode::NotDirectory, ERROR_DIRECTORY, "not a directory");
  }
  HANDLE entered = CreateFileW(wide.c_str(), FILE_TRAVERSE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (entered == INVALID_HANDLE_VALUE) return Status::fromNative(static_cast<int>(GetLastError()));
  CloseHandle(entered);
  return Status();
}

Expected<ChildProcess> startChildProcess(const std::string& path,
                                         const std::vector<std::string>& arguments,
                                         const ChildSettings& settings) {
  const std::wstring program = programFileOf(path);
  std::wstring commandLine = commandLineOf(path, arguments);
  const std::wstring directory = win32::wideFromUtf8(settings.workingDirectory);

  ChildProcess child;
  HANDLE capture = settings.captureStandardError ? openErrorCaptureFile() : nullptr;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  AcquireSRWLockExclusive(&gChildrenLock);
  BOOL created = FALSE;
  DWORD error = 0;
  {
    win32::InheritedStandardHandles handles(capture);
    handles.fill(startup);
    // Suspended until it is in the job; a process group of its own so that it can be asked
    // politely to end with Ctrl+Break.
    created = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                             CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP, nullptr,
                             directory.empty() ? nullptr : directory.c_str(), &startup, &process);
    error = GetLastError();
  }
  if (created) {
    // A job this process cannot give (already in one that allows no other) leaves the child
    // outside any: it still runs.
    if (HANDLE job = childrenJob()) AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    gChildren.push_back({process.dwProcessId, process.hProcess});
  }
  ReleaseSRWLockExclusive(&gChildrenLock);

  if (!created) {
    if (capture != nullptr) CloseHandle(capture);
    Status status = withPath(path, error);
    if (settings.workingDirectory.empty()) return status;
    return Status(status.code(), status.native(),
                  status.message() + " (in " + settings.workingDirectory + ")");
  }
  child.id = static_cast<int>(process.dwProcessId);
  if (capture != nullptr) child.errorCapture = reinterpret_cast<std::intptr_t>(capture);
  return child;
}

std::string takeCapturedError(ChildProcess& child, std::size_t maxBytes) {
  std::string text;
  if (child.errorCapture == -1) return text;
  HANDLE capture = reinterpret_cast<HANDLE>(child.errorCapture);
  LARGE_INTEGER size{};
  if (GetFileSizeEx(capture, &size) && size.QuadPart > 0) {
    const auto total = static_cast<std::size_t>(size.QuadPart);
    const std::size_t start = total > maxBytes ? total - maxBytes : 0;
    text.resize(total - start);
    std::size_t done = 0;
    while (done < text.size()) {
      OVERLAPPED at{};
      const auto offset = static_cast<unsigned long long>(start + done);
      at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD got = 0;
      if (!ReadFile(capture, text.data() + done, static_cast<DWORD>(text.size() - done), &got,
                    &at) ||
          got == 0) {
        break;
      }
      done += got;
    }
    text.resize(done);
  }
  CloseHandle(capture);
  child.errorCapture = -1;
  return text;
}

Expected<ChildEnd> waitForChild(const ChildProcess& child) {
  if (!child.started()) return notOurChild();
  return waitFor(child.id, INFINITE);
}

Expected<ChildEnd> waitForChildFor(const ChildProcess& child, int timeoutMilliseconds) {
  if (!child.started()) return notOurChild();
  return waitFor(child.id, timeoutMilliseconds < 0 ? 0 : static_cast<DWORD>(timeoutMilliseconds));
}

Expected<ChildEnd> waitForAnyChild() {
  for (;;) {
    std::vector<StartedChild> waited;
    AcquireSRWLockShared(&gChildrenLock);
    waited = gChildren;
    ReleaseSRWLockShared(&gChildrenLock);
    if (waited.empty()) return notOurChild();
    // At most MAXIMUM_WAIT_OBJECTS handles at once: more children are looked at in turns.
    const bool oneGroup = waited.size() <= MAXIMUM_WAIT_OBJECTS;
    for (std::size_t first = 0; first < waited.size(); first += MAXIMUM_WAIT_OBJECTS) {
      const std::size_t count = std::min<std::size_t>(MAXIMUM_WAIT_OBJECTS, waited.size() - first);
      HANDLE handles[MAXIMUM_WAIT_OBJECTS];
      for (std::size_t i = 0; i < count; ++i) handles[i] = waited[first + i].process;
      const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(count), handles, FALSE,
                                                  oneGroup ? INFINITE : 10);
      if (result < WAIT_OBJECT_0 + count) {
        return collect(static_cast<int>(waited[first + (result - WAIT_OBJECT_0)].id));
      }
      if (result == WAIT_FAILED) return Status::fromNative(static_cast<int>(GetLastError()));
    }
  }
}

Status stopChild(const ChildProcess& child, int graceMilliseconds) {
  if (!child.started()) return notOurChild();
  HANDLE process = processOf(child.id);
  if (process == nullptr) return notOurChild();
  // Ctrl+Break reaches the child's process group when it shares this process's console; a child
  // that cannot be asked is given the grace to end on its own.
  GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(child.id));
  Expected<ChildEnd> end = waitForChildFor(child, graceMilliseconds);
  if (end.ok()) return Status();
  if (!end.status().is(StatusCode::TimedOut)) return end.status();
  TerminateProcess(process, 1);
  return waitForChild(child).status();
}

}  // namespace dunax::platform
