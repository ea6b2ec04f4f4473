// The command line as the COBOL run-time hands it to a program: the arguments joined by single
// spaces.
#pragma once

#include <cstddef>

namespace dunax::platform {

// Joins argv[1..] with single spaces, reads at most readLimit characters of that text, and
// copies the first keep of them into out, padding with spaces to keep bytes.
void readCommandLine(int argc, char** argv, char* out, std::size_t keep, std::size_t readLimit);

}  // namespace dunax::platform
