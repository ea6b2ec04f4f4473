// The conversion run: one data file converted record by record between the data file (through
// the record-access program) and the transfer file, both sides counted, every failure turned
// into a question whose answer retries the file, gives it up or aborts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "converter/access/data_file_access.h"
#include "converter/interruption.h"
#include "converter/progress.h"
#include "converter/run_parameter.h"
#include "converter/transfer_file.h"
#include "dialogs/dialog_service.h"

namespace dunax::converter {

enum class RunDecision {
  Converted,   // the exit code follows from the direction (segments in "B", 0 in "X")
  Abort,       // layouts::kExitAbortConversion
  GiveUpFile,  // layouts::kExitGiveUpFile
};

// The counts of the last attempt.
struct AttemptCounts {
  std::uint64_t dataSide = 0;      // records from ("B") or accepted by ("X") the program
  std::uint64_t transferSide = 0;  // records written to ("B") or read from ("X") the transfer file
};

class ConversionRun {
 public:
  ConversionRun(const RunParameter& parameter, access::RequestBlock& block,
                access::DataFileAccess& dataFile, TransferFile& transferFile,
                dialogs::DialogService& dialogs, Progress& progress,
                const Interruption& interruption)
      : parameter_(parameter), block_(block), dataFile_(dataFile), transferFile_(transferFile),
        dialogs_(dialogs), progress_(progress), interruption_(interruption) {}

  // Converts the file, attempt after attempt until the operator's answers or success end it.
  RunDecision run();

  const AttemptCounts& counts() const { return counts_; }

  // Why the run ended without converting the file, in words (empty after a conversion):
  // "read: status 04 (...)", "stopped by the operator", ...
  const std::string& reason() const { return reason_; }

 private:
  // How an attempt's records stopped moving: the data and transfer statuses it ended with
  // (success for a side that reached its end or was not reached), and whether the run
  // parameter's segment count stopped it before anything was opened.
  struct AttemptResult {
    platform::FileStatus data;
    platform::FileStatus transfer;
    bool invalidSegmentCount = false;
  };
  AttemptResult runExport();  // direction "B": data file to transfer file
  AttemptResult runImport();  // direction "X": transfer file to data file
  void showProgress();
  // Issues "CL "; in "X" the record area first says whether the records written in this
  // attempt are kept. Returns the data status of the close.
  platform::FileStatus closeDataFile(bool keepWrittenRecords);
  // The question after a failed attempt (asked only when the run parameter says so).
  // Returns the decision, or nothing when the file is to be converted again.
  std::optional<RunDecision> askAfterFileError(platform::FileStatus status, bool transferSide);
  RunDecision askAfterCountMismatch();
  // Line 1 of the file dialogs: "Ficheiro:" and the quoted name (".bin" added for the
  // transfer file).
  std::string fileLine(bool transferSide) const;
  // The failed data-file operation of the attempt, in words: for a read or a write the record
  // number, and the words the record-access program left for it when it left some.
  std::string describeDataFailure() const;
  // The failed transfer-file operation of the attempt, in words: for a read or a write the
  // record number ("read: record 60,001: 50 bytes left at the end, not a whole record"), or
  // the segment count of the run parameter that is not 00-09.
  std::string describeTransferFailure(platform::FileStatus status, const char* operation,
                                      bool invalidSegmentCount);
  // Ends the run with decision, keeping why.
  RunDecision end(RunDecision decision, std::string reason);

  // What an attempt left: the saved statuses and, when one failed, the failure in words.
  // stopped is the interruption as it stood at the attempt's point of no return, the moment
  // the end of the attempt chose between keeping and discarding what it wrote; a termination
  // request that arrives later no longer changes the run's decision.
  struct AttemptEnd {
    platform::FileStatus data;
    platform::FileStatus transfer;
    std::string failure;
    bool stopped = false;
  };
  // The end of an attempt that ended with result: both files closed ("CL " says keep or
  // discard in "X"). The keep or discard is chosen once, from the statuses and the
  // interruption read at that moment.
  AttemptEnd endAttempt(const AttemptResult& result);
  // What the attempt's end means for the run: a decision, or nothing to convert the file again.
  std::optional<RunDecision> decide(AttemptEnd& attempt);

  const RunParameter& parameter_;
  access::RequestBlock& block_;
  access::DataFileAccess& dataFile_;
  TransferFile& transferFile_;
  dialogs::DialogService& dialogs_;
  Progress& progress_;
  const Interruption& interruption_;
  AttemptCounts counts_;
  std::string reason_;
  std::optional<char> lastAnswer_ = ' ';  // the last question's answer (none: no message box)
};

}  // namespace dunax::converter
