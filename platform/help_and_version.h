// The answer of a program started by another one to a person who runs it by hand with
// "--help" or "--version" as its whole command line: its usage paragraph or its version line,
// on standard error (standard output may belong to the program that normally starts it).
#pragma once

namespace dunax::platform {

// Returns true when the command line is exactly the one argument "--help" or "--version",
// after writing usage or "PROGRAM (dunax) VERSION" on standard error; false otherwise, with
// nothing written.
bool answerHelpOrVersion(int argc, char** argv, const char* program, const char* usage);

}  // namespace dunax::platform
