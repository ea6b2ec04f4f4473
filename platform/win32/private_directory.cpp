// The private directory on Windows: a folder in the user's local application data (whose
// access is the user's alone, and which a folder made in it inherits), checked to be a real
// folder and not a link or junction.
#include "platform/private_directory.h"

#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/native_name.h"
#include "platform/win32/wide_text.h"

namespace dunax::platform {
namespace {

// FOLDERID_LocalAppData, spelt out so that linking needs no library of GUIDs.
constexpr KNOWNFOLDERID kLocalAppData = {
    0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};

// The user's local application data folder ("C:\Users\NAME\AppData\Local"), else
// %LOCALAPPDATA%; empty when neither is known.
std::string localApplicationData() {
  wchar_t* folder = nullptr;
  std::string found;
  if (SHGetKnownFolderPath(kLocalAppData, 0, nullptr, &folder) == S_OK && folder) {
    found = win32::utf8FromWide(folder);
  }
  CoTaskMemFree(folder);
  if (!found.empty()) return found;
  const DWORD needed = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (needed == 0) return {};
  std::vector<wchar_t> value(needed);
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), needed);
  if (length == 0 || length >= needed) return {};
  return win32::utf8FromWide(std::wstring(value.data(), length));
}

}  // namespace

std::string defaultPrivateDirectory(const std::string& purpose) {
  const std::string base = localApplicationData();
  if (base.empty()) return {};
  const std::string folder = base + "\\dunax";
  if (const Expected<std::wstring> wide = win32::nativeName(folder)) {
    CreateDirectoryW(wide->c_str(), nullptr);  // there already, or made now; checked on use
  }
  return folder + "\\" + purpose;
}

Status preparePrivateDirectory(const std::string& path) {
  if (path.empty()) return Status::fromNative(ERROR_PATH_NOT_FOUND);
  const Expected<std::wstring> wide = win32::nativeName(path);
  if (!wide) return wide.status();
  DWORD attributes = GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return Status::fromNative(static_cast<int>(error));
    // Made with the access of the folder that holds it: the user's alone in the user's folder.
    if (!CreateDirectoryW(wide->c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return win32::lastError();
    }
    attributes = GetFileAttributesW(wide->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return win32::lastError();
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return Status::fromNative(ERROR_DIRECTORY);
  }
  return Status();
}

}  // namespace dunax::platform
