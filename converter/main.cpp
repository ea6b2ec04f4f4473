// DUNAXMF, the converter: one data file per run, direction "B" (data file to transfer file)
// or "X" (transfer file to data file), ending with the exit code its manager acts on.
#include "converter/help_and_version.h"
#include "converter/start_up.h"
#include "layouts/exit_codes.h"
#include "platform/process.h"
#include "platform/program_arguments.h"

int main(int argc, char** argv) {
  using namespace dunax::converter;
  // The run parameter's bytes in Windows-1252 (on Windows from the wide command line, whatever
  // the ANSI code page).
  dunax::platform::ProgramArguments arguments(argc, argv,
                                              dunax::platform::ArgumentText::Windows1252);
  argc = arguments.count();
  argv = arguments.values();
  // "--help" and "--version" are answered, and end as the bad direction letter they are.
  if (answerHelpOrVersion(argc, argv)) {
    dunax::platform::endProcess(dunax::layouts::kExitAbortConversion);
  }
  dunax::platform::endProcess(runConverter(argc, argv));
}
