// What the record-file handler's portable part asks of the host besides the calls of
// FileSystemCalls: the error number of the call that just failed, whether a signal cut it
// short, the host's "disk full", and a hint that pages read once will not be read again. Each
// host half defines these beside its RecordFile::open.
#pragma once

namespace dunax::platform::host {

// The host's error number of the call that just failed (errno, or the thread's last error).
int lastError();

// Whether that error only means a signal interrupted the call, which is then made again.
bool interrupted(int error);

// The error number a write that moved nothing stands for.
int noSpaceError();

// The length bytes from offset of a file read front to back will not be read again: the host
// may drop them from its cache.
void dropReadPages(int file, long long offset, long long length);

}  // namespace dunax::platform::host
