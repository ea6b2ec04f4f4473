// The converter's run from start to exit code: the run parameter, the window, the request
// block, the transfer-file name, the conversion, and the end of the run.
#pragma once

#include "converter/access/record_access_program.h"
#include "converter/run_parameter.h"
#include "platform/screen_program.h"
#include "dialogs/message_box_program.h"

namespace dunax::converter {

// The outside programs one run reaches: the record-access program, the screen library and the
// message box.
struct OutsidePrograms {
  access::RecordAccessProgram& recordAccess;
  platform::ScreenProgram& screen;
  dialogs::MessageBoxProgram& messageBox;
};

// Runs the converter on the command line and returns the exit code (layouts/exit_codes.h): 0-9
// converted ("B": the number of extra transfer-file segments), 16 abort the whole conversion
// (also for a direction that is neither "B" nor "X" and a screen library that cannot be
// reached), 32 give up this file.
int runConverter(int argc, char** argv);

// The same run with the run parameter read and the outside programs given.
int runConverter(const RunParameter& parameter, const OutsidePrograms& programs);

}  // namespace dunax::converter
