// The converter's run from start to exit code: the run parameter, the window, the request
// block, the transfer-file name, the conversion, and the end of the run.
#pragma once

namespace dunax::converter {

// Exit code of a run parameter whose direction is neither "B" nor "X", and of a run that
// cannot reach its screen library.
inline constexpr int kExitBadDirection = 16;
inline constexpr int kExitScreenLibraryMissing = 16;

// Runs the converter on the command line and returns the exit code: 0-9 converted ("B": the
// number of extra transfer-file segments), 16 abort the whole conversion, 32 give up this file.
int runConverter(int argc, char** argv);

}  // namespace dunax::converter
