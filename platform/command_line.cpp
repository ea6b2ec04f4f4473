// The command line as the COBOL run-time hands it to a program.
#include "platform/command_line.h"

#include <cstring>

namespace dunax::platform {

void readCommandLine(int argc, char** argv, char* out, std::size_t keep, std::size_t readLimit) {
  std::memset(out, ' ', keep);
  std::size_t position = 0;
  const std::size_t limit = keep < readLimit ? keep : readLimit;
  for (int i = 1; i < argc && position < limit; ++i) {
    if (i > 1) out[position++] = ' ';
    for (const char* c = argv[i]; *c != '\0' && position < limit; ++c) out[position++] = *c;
  }
}

}  // namespace dunax::platform
