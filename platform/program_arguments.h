// The arguments a program was started with, in UTF-8 (or, for the converter's run parameter, in
// Windows-1252) on every host: on POSIX argv as it is; on Windows the wide command line
// (GetCommandLineW, split by CommandLineToArgvW), as argv in the ANSI code page would lose
// every character outside it.
#pragma once

#include <string>
#include <vector>

namespace dunax::platform {

// The text of the arguments: UTF-8 (names and texts as this system holds them at the host), or
// Windows-1252 (the bytes of a run parameter; on Windows a character outside the code page
// becomes "?"). POSIX hands both over as they are.
enum class ArgumentText { Utf8, Windows1252 };

class ProgramArguments {
 public:
  // Takes the arguments of this process; argc and argv are main's, kept where the host has
  // nothing better (and on Windows when the wide command line cannot be split).
  ProgramArguments(int argc, char** argv, ArgumentText text = ArgumentText::Utf8);
  ProgramArguments(const ProgramArguments&) = delete;
  ProgramArguments& operator=(const ProgramArguments&) = delete;

  // The arguments, the program's own name first.
  const std::vector<std::string>& all() const { return values_; }
  int count() const { return static_cast<int>(values_.size()); }
  // The arguments as main's argv: count() texts and a null pointer, valid while this lives.
  char** values() { return pointers_.data(); }

 private:
  std::vector<std::string> values_;
  std::vector<char*> pointers_;
};

}  // namespace dunax::platform
