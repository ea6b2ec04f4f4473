// The program's arguments on POSIX: argv as it is (the host's texts are UTF-8, a run parameter
// its Windows-1252 bytes, as they were passed).
#include "platform/program_arguments.h"

namespace dunax::platform {

ProgramArguments::ProgramArguments(int argc, char** argv, ArgumentText /*text*/)
    : values_(argv, argv + argc) {
  for (std::string& value : values_) pointers_.push_back(value.data());
  pointers_.push_back(nullptr);
}

}  // namespace dunax::platform
