// Start-up and end of the converter's run.
#include "converter/start_up.h"

#include <string>

#include "converter/access/data_file_access.h"
#include "converter/access/record_access_program.h"
#include "converter/access/request_block.h"
#include "converter/conversion_run.h"
#include "converter/counts_line.h"
#include "converter/interruption.h"
#include "converter/progress.h"
#include "converter/run_parameter.h"
#include "converter/screen/screen_library.h"
#include "converter/screen/screen_program.h"
#include "converter/transfer_file.h"
#include "dialogs/dialog_service.h"
#include "layouts/byte_fields.h"
#include "layouts/exit_codes.h"
#include "platform/console.h"
#include "platform/durable_files.h"
#include "platform/file_lock.h"
#include "platform/session.h"
#include "platform/text_encoding.h"

namespace dunax::converter {
namespace {

// Everything one run holds, in storage of fixed size for the whole run.
struct RunState {
  RunState(const RunParameter& runParameter, const OutsidePrograms& programs)
      : parameter(runParameter),
        dialogs(programs.messageBox),
        screen(programs.screen),
        dataFile(block, programs.recordAccess, dialogs) {}

  const RunParameter& parameter;
  access::RequestBlock block{};
  dialogs::DialogService dialogs;
  screen::ScreenLibrary screen;
  TransferFile transferFile;
  Interruption interruption{screen, dialogs};
  Progress progress{screen, interruption};
  access::DataFileAccess dataFile;
  platform::FileLock lock;
};

// Says on standard error why the file of this run was not converted: one line,
// "DUNAXMF: <data file name>: <reason>", which a manager shows beside the file.
// The names in it are Windows-1252, as the records hold them; the line goes out in UTF-8.
void reportOutcome(const RunState& state, const std::string& reason) {
  const std::string line =
      "DUNAXMF: " + std::string(dataFileNameUpToSpace(state.parameter)) + ": " + reason;
  std::string text;
  platform::appendUtf8FromWindows1252(line.data(), line.size(), text);
  platform::writeErrorLine(text.c_str());
}

// Takes the lock of the transfer name: one run per file at a time. Returns false (after
// saying why on standard error) when another run holds it or it cannot be taken.
bool lockTransferName(RunState& state) {
  std::string lockPath = state.transferFile.lockPath();
  if (lockPath.empty()) {
    reportOutcome(state, "the name cannot be used on this host (a drive or network path without "
                         "a mapping, or a character the host cannot name); nothing was touched");
    return false;
  }
  platform::Status taken = state.lock.acquire(lockPath);
  if (taken.ok()) return true;
  if (taken.is(platform::StatusCode::Busy)) {
    reportOutcome(state, "another conversion of this file is running (it holds " + lockPath +
                             "); nothing was touched");
    return false;
  }
  reportOutcome(state, "cannot take the lock " + lockPath + ": " + taken.message() +
                           "; nothing was touched");
  return false;
}

// The end of a "B" run: the new transfer set replaces the last good one only when the file
// was converted; otherwise its temporary segments go. Returns the exit code.
int finishTransferSet(RunState& state, int exitCode) {
  if (exitCode > layouts::kExitMostConverted) {
    state.transferFile.discardOutputSegments();
    return exitCode;
  }
  // Renaming the set into place is not cut in the middle by a stop request. The point of no
  // return of "B": a termination request that arrived before the hold discards the set and
  // stops the run (16); one that arrives once the publish has begun waits for it and the run
  // ends as converted.
  platform::TerminationHold hold;
  if (platform::terminationRequested()) {
    state.transferFile.discardOutputSegments();
    reportOutcome(state, "stopped by a termination request before the transfer file was put in "
                         "place; the earlier one is kept");
    return layouts::kExitAbortConversion;
  }
  std::string failedPath;
  platform::Status error = state.transferFile.publishOutputSegments(failedPath);
  if (error.ok()) return exitCode;
  reportOutcome(state, "the transfer file " + failedPath + " cannot be put in place: " +
                           error.message());
  state.transferFile.discardOutputSegments();
  return layouts::kExitGiveUpFile;
}

int decideExitCode(RunDecision decision, char direction, const TransferFile& transferFile) {
  switch (decision) {
    case RunDecision::Abort: return layouts::kExitAbortConversion;
    case RunDecision::GiveUpFile: return layouts::kExitGiveUpFile;
    case RunDecision::Converted: break;
  }
  return direction == 'B' ? transferFile.extraSegments() : 0;
}

}  // namespace

int runConverter(const RunParameter& parameter, const OutsidePrograms& programs) {
  const char direction = directionOf(parameter);
  if (direction != 'B' && direction != 'X') return layouts::kExitAbortConversion;
  // A file-size limit makes a write fail ("34", the file given up), never ends the process:
  // for the transfer file and for the data file written by a record-access program alike.
  (void)platform::treatFileSizeLimitAsWriteFailure();
  RunState state(parameter, programs);

  state.transferFile.buildName(state.parameter);
  // Under the lock, the open of the transfer set completes a publish that a stopped run left
  // and removes the temporary segments of a run that was killed before its journal.
  if (!lockTransferName(state)) return layouts::kExitGiveUpFile;

  if (platform::Status shown = state.screen.setUpWindow(direction); !shown.ok()) {
    reportOutcome(state, "the screen library SP2MF cannot be found: " + shown.message());
    state.lock.release();
    return layouts::kExitAbortConversion;
  }
  state.progress.fillFromRunParameter(state.parameter);
  access::fillRequestBlock(state.block, state.parameter);
  // Stop requests are seen at every record, attempt and dialog, with or without a terminal;
  // the screen library's own handlers (installed with the window) still get them. Handlers
  // that cannot be installed leave those of the screen library: the run goes on.
  (void)platform::watchTerminationRequests();

  ConversionRun run(state.parameter, state.block, state.dataFile, state.transferFile,
                    state.dialogs, state.progress, state.interruption);
  RunDecision decision = run.run();
  int exitCode = decideExitCode(decision, direction, state.transferFile);
  if (!run.reason().empty()) reportOutcome(state, run.reason());
  if (direction == 'B') exitCode = finishTransferSet(state, exitCode);
  reportCounts(direction, run.counts().dataSide, run.counts().transferSide,
               state.transferFile.extraSegments());

  state.screen.endWindow();
  state.lock.release();
  return exitCode;
}

int runConverter(int argc, char** argv) {
  const RunParameter parameter = readRunParameter(argc, argv);
  access::RecordAccessByName recordAccess(layouts::textOf(parameter.programName));
  screen::ScreenByName screen;
  dialogs::MessageBoxByName messageBox;
  return runConverter(parameter, {recordAccess, screen, messageBox});
}

}  // namespace dunax::converter
