// The usage paragraph or the version line of a program started by another one.
#include "platform/help_and_version.h"

#include <cstring>
#include <string>

#include "platform/console.h"
#include "platform/version.h"

namespace dunax::platform {

bool answerHelpOrVersion(int argc, char** argv, const char* program, const char* usage) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--help") == 0) {
    writeErrorLine(usage);
    return true;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    writeErrorLine((std::string(program) + " (dunax) " + kDunaxVersion).c_str());
    return true;
  }
  return false;
}

}  // namespace dunax::platform
