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

// The Win32 error codes each status code stands for; ERROR_SUCCESS is Ok, every other one Other.
struct NativeGroup {
  StatusCode code;
  DWORD natives[9];  // 0 ends a shorter list
};
constexpr NativeGroup kNativeGroups[] = {
    {StatusCode::NotFound,
     {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_DRIVE, ERROR_BAD_NETPATH,
      ERROR_BAD_NET_NAME, ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND, ERROR_NOT_FOUND,
      ERROR_NO_MORE_FILES}},
    {StatusCode::AlreadyExists, {ERROR_ALREADY_EXISTS, ERROR_FILE_EXISTS}},
    {StatusCode::PermissionDenied,
     {ERROR_ACCESS_DENIED, ERROR_WRITE_PROTECT, ERROR_NETWORK_ACCESS_DENIED,
      ERROR_PRIVILEGE_NOT_HELD, ERROR_CURRENT_DIRECTORY}},
    {StatusCode::NoSpace,
     {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, kDiskQuotaExceeded, ERROR_FILE_TOO_LARGE}},
    {StatusCode::NotEmpty, {ERROR_DIR_NOT_EMPTY}},
    {StatusCode::NotDirectory, {ERROR_DIRECTORY}},
    {StatusCode::InvalidName,
     {ERROR_INVALID_NAME, ERROR_BAD_PATHNAME, ERROR_FILENAME_EXCED_RANGE, ERROR_INVALID_PARAMETER,
      ERROR_CANT_RESOLVE_FILENAME}},
    {StatusCode::Busy,
     {ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_BUSY, ERROR_DRIVE_LOCKED,
      ERROR_PIPE_BUSY}},
    {StatusCode::TimedOut, {WAIT_TIMEOUT, ERROR_TIMEOUT, ERROR_SEM_TIMEOUT}},
    {StatusCode::Interrupted, {ERROR_OPERATION_ABORTED}},
    {StatusCode::Unsupported,
     {ERROR_NOT_SUPPORTED, ERROR_CALL_NOT_IMPLEMENTED, ERROR_INVALID_FUNCTION}},
};

}  // namespace

StatusCode statusCodeOfNative(int native) {
  const auto code = static_cast<DWORD>(native);
  if (code == ERROR_SUCCESS) return StatusCode::Ok;
  for (const NativeGroup& group : kNativeGroups) {
    for (DWORD member : group.natives) {
      if (member == code) return group.code;
    }
  }
  return StatusCode::Other;
}

Status Status::fromNative(int native) {
  if (native == 0) return Status();
  return Status(statusCodeOfNative(native), native, wordsOfError(static_cast<DWORD>(native)));
}

}  // namespace dunax::platform
