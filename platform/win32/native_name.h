// Inside the Windows half only: a host name (UTF-8, either separator) made the name that a "W"
// call takes, refusing the names that reach a device instead of a file and reaching past
// MAX_PATH through the "\\?\" form instead of cutting a name short.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform::win32 {

// True when name cannot be taken as a file's name on this host: one of its parts is a reserved
// device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$; any case, with or without
// an extension, trailing spaces ignored), it is a "\\.\" or "\\?\" path (devices, raw
// volumes, pipes), or it holds a ":" other than the one after a drive letter (a stream).
bool isRefusedName(std::string_view name);

// The name a "W" call takes for the host name: UTF-16, every "/" made "\". A name of 248
// characters or more (the limit of a directory's name) is made absolute and given the "\\?\"
// (or "\\?\UNC\") prefix, so that no call cuts it short.
// Returns InvalidName for an empty name, one holding a NUL or bytes that are not UTF-8, and a
// refused name (isRefusedName).
Expected<std::wstring> nativeName(std::string_view hostName);

// The failure the calling thread's last error stands for (Other when there is none).
Status lastError();

}  // namespace dunax::platform::win32
