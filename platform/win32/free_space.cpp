// The room left on a file system on Windows: GetDiskFreeSpaceExW's bytes free to the caller
// (its quota taken into account).
#include "platform/free_space.h"

#include <windows.h>

#include <string>

#include "platform/file_routines.h"
#include "platform/win32/native_name.h"

namespace dunax::platform {

Expected<std::uint64_t> freeSpaceOf(std::string_view folder) {
  Expected<std::string> path = hostPathFrom(folder);
  if (!path) return path.status();
  Expected<std::wstring> wide = win32::nativeName(*path);
  if (!wide) return wide.status();
  // The call wants a folder that ends in a separator.
  if (wide->back() != L'\\') wide->push_back(L'\\');
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(wide->c_str(), &available, nullptr, nullptr)) {
    return win32::lastError();
  }
  return static_cast<std::uint64_t>(available.QuadPart);
}

}  // namespace dunax::platform
