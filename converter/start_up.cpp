// Start-up and end of the converter's run.
#include "converter/start_up.h"

#include <string>

#include "converter/access/data_file_access.h"
#include "converter/access/request_block.h"
#include "converter/conversion_run.h"
#include "converter/interruption.h"
#include "converter/progress.h"
#include "converter/run_parameter.h"
#include "converter/screen/screen_library.h"
#include "converter/transfer_file.h"
#include "dialogs/dialog_service.h"
#include "platform/console.h"

namespace dunax::converter {
namespace {

// Everything one run holds, in storage of fixed size for the whole run.
struct RunState {
  RunParameter parameter;
  access::RequestBlock block;
  dialogs::DialogService dialogs;
  screen::ScreenLibrary screen;
  TransferFile transferFile;
  Interruption interruption{screen, dialogs};
  Progress progress{screen, interruption};
  access::DataFileAccess dataFile{block, dialogs};
};

int decideExitCode(RunDecision decision, char direction, const TransferFile& transferFile) {
  switch (decision) {
    case RunDecision::Abort: return kExitAbort;
    case RunDecision::GiveUpFile: return kExitGiveUpFile;
    case RunDecision::Converted: break;
  }
  return direction == 'B' ? transferFile.extraSegments() : 0;
}

}  // namespace

int runConverter(int argc, char** argv) {
  static RunState state;
  state.parameter = readRunParameter(argc, argv);
  const char direction = state.parameter.direction();
  if (direction != 'B' && direction != 'X') return kExitBadDirection;

  if (!state.screen.load()) {
    platform::writeErrorLine(
        ("DUNAXMF: the screen library SP2MF cannot be found: " + state.screen.loadError())
            .c_str());
    return kExitScreenLibraryMissing;
  }
  state.screen.setUpWindow(direction);
  state.progress.fillFromRunParameter(state.parameter);
  access::fillRequestBlock(state.block, state.parameter);
  state.dataFile.setProgramName(state.parameter.field(run_fields::kProgramName));
  state.transferFile.buildName(state.parameter);

  ConversionRun run(state.parameter, state.block, state.dataFile, state.transferFile,
                    state.dialogs, state.progress, state.interruption);
  RunDecision decision = run.run();

  state.screen.endWindow();
  return decideExitCode(decision, direction, state.transferFile);
}

}  // namespace dunax::converter
