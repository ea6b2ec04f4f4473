// Inside the Windows half only: the standard handles a started program gets, as inheritable
// copies made for the start and closed after it, so that the child gets them whether or not
// this process's own are inheritable.
#pragma once

#include <windows.h>

namespace dunax::platform::win32 {

class InheritedStandardHandles {
 public:
  // Copies this process's standard input, output and error; errorReplacement, when given, takes
  // the place of standard error. A handle that cannot be copied is passed as none.
  explicit InheritedStandardHandles(HANDLE errorReplacement = nullptr) {
    const HANDLE sources[3] = {GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                               errorReplacement != nullptr ? errorReplacement
                                                           : GetStdHandle(STD_ERROR_HANDLE)};
    const HANDLE self = GetCurrentProcess();
    for (int i = 0; i < 3; ++i) {
      copies_[i] = nullptr;
      if (sources[i] == nullptr || sources[i] == INVALID_HANDLE_VALUE) continue;
      if (!DuplicateHandle(self, sources[i], self, &copies_[i], 0, TRUE,
                           DUPLICATE_SAME_ACCESS)) {
        copies_[i] = nullptr;
      }
    }
  }
  ~InheritedStandardHandles() {
    for (HANDLE copy : copies_) {
      if (copy != nullptr) CloseHandle(copy);
    }
  }
  InheritedStandardHandles(const InheritedStandardHandles&) = delete;
  InheritedStandardHandles& operator=(const InheritedStandardHandles&) = delete;

  // Puts the copies into startup as the child's standard handles.
  void fill(STARTUPINFOW& startup) const {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = copies_[0];
    startup.hStdOutput = copies_[1];
    startup.hStdError = copies_[2];
  }

 private:
  HANDLE copies_[3];
};

}  // namespace dunax::platform::win32
