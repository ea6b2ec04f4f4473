// The converter's answer to a person who runs it by hand with "--help" or "--version" as its
// whole command line: what the program is, or its version, on standard error.
#pragma once

namespace dunax::converter {

// Returns true when the command line is exactly the one argument "--help" or "--version",
// after writing the usage paragraph or the version line on standard error; false otherwise,
// with nothing written. The run then ends as for any other bad direction letter.
bool answerHelpOrVersion(int argc, char** argv);

}  // namespace dunax::converter
