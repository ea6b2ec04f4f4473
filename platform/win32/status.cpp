// The status type on Windows: Win32 error codes (GetLastError) mapped to the codes, and the
// system's own words for them (FormatMessageW).
#include "platform/status.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

// The disk quota's error code, which some headers of the Windows API leave out.
constexpr DWORD kDiskQuotaExceeded = 1295;

// The system's message for a Win32 error code, without its closing period and line end; the
// number alone when the system has no message for it.
std::string wordsOfError(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring wide = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
  if (buffer != nullptr) LocalFree(buffer);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' ||
                           wide.back() == L' ' || wide.back() == L'.')) {
    wide.pop_back();
  }
  if (wide.empty()) return "error " + std::to_string(error);
  return win32::utf8FromWide(wide);
}

}  // namespace

StatusCode statusCodeOfNative(int native) {
  switch (static_cast<DWORD>(native)) {
    case ERROR_SUCCESS:
      return StatusCode::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_MOD_NOT_FOUND:
    case ERROR_PROC_NOT_FOUND:
    case ERROR_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
      return StatusCode::NotFound;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return StatusCode::AlreadyExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CURRENT_DIRECTORY:
      return StatusCode::PermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kDiskQuotaExceeded:
    case ERROR_FILE_TOO_LARGE:
      return StatusCode::NoSpace;
    case ERROR_DIR_NOT_EMPTY:
      return StatusCode::NotEmpty;
    case ERROR_DIRECTORY:
      return StatusCode::NotDirectory;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_PARAMETER:
    case ERROR_CANT_RESOLVE_FILENAME:
      return StatusCode::InvalidName;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
    case ERROR_DRIVE_LOCKED:
    case ERROR_PIPE_BUSY:
      return StatusCode::Busy;
    case WAIT_TIMEOUT:
    case ERROR_TIMEOUT:
    case ERROR_SEM_TIMEOUT:
      return StatusCode::TimedOut;
    case ERROR_OPERATION_ABORTED:
      return StatusCode::Interrupted;
    case ERROR_NOT_SUPPORTED:
    case ERROR_CALL_NOT_IMPLEMENTED:
    case ERROR_INVALID_FUNCTION:
      return StatusCode::Unsupported;
    default:
      return StatusCode::Other;
  }
}

Status Status::fromNative(int native) {
  if (native == 0) return Status();
  return Status(statusCodeOfNative(native), native, wordsOfError(static_cast<DWORD>(native)));
}

}  // namespace dunax::platform
