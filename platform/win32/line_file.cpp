// A text file written a line at a time on Windows: each line one WriteFile.
#include "platform/line_file.h"

#include <windows.h>

#include "platform/file_routines.h"
#include "platform/win32/native_name.h"

namespace dunax::platform {

Status LineFile::open(std::string_view name) {
  close();
  Expected<std::string> path = hostPathFrom(name);
  if (!path) return path.status();
  const Expected<std::wstring> wide = win32::nativeName(*path);
  if (!wide) return wide.status();
  HANDLE file = CreateFileW(wide->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
  handle_ = HandleToLong(file);
  return {};
}

Status LineFile::writeLine(std::string_view text) {
  if (!isOpen()) return Status::failure(StatusCode::Other, "the file is not open");
  std::string line(text);
  line += '\n';
  HANDLE file = LongToHandle(static_cast<long>(handle_));
  std::size_t done = 0;
  while (done < line.size()) {
    DWORD wrote = 0;
    if (!WriteFile(file, line.data() + done, static_cast<DWORD>(line.size() - done), &wrote,
                   nullptr)) {
      return win32::lastError();
    }
    done += wrote;
  }
  return {};
}

void LineFile::close() {
  if (!isOpen()) return;
  CloseHandle(LongToHandle(static_cast<long>(handle_)));
  handle_ = kNoHandle;
}

}  // namespace dunax::platform
