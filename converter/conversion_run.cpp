// The conversion run in both directions, the end of an attempt and its dialogs.
#include "converter/conversion_run.h"

#include <cstring>
#include <string>

#include "converter/access/status_words.h"
#include "converter/texts.h"
#include "layouts/transfer_segments.h"
#include "platform/session.h"

namespace dunax::converter {
namespace {

using platform::FileStatus;
namespace codes = access::codes;

bool endOfData(FileStatus status) { return status.is('1', '0') || status.is('2', '3'); }
// status, with an end of data counting as success.
FileStatus reachedEnd(FileStatus status) {
  return endOfData(status) ? platform::status::kSuccess : status;
}

// The data-file operation a request code stands for.
const char* operationOf(const char* code) {
  struct Row {
    const char* code;
    const char* operation;
  };
  static constexpr Row kRows[] = {
      {codes::kOpenForReading, "open for reading"}, {codes::kStart, "start"},
      {codes::kStartByAlternateKey, "start"},       {codes::kReadNext, "read"},
      {codes::kReadNextByAlternateKey, "read"},     {codes::kOpenForOutput, "open for writing"},
      {codes::kWrite, "write"},                     {codes::kWriteByAlternateKey, "write"},
      {codes::kClose, "close"},
  };
  for (const Row& row : kRows) {
    if (std::memcmp(row.code, code, 3) == 0) return row.operation;
  }
  return "request";
}

std::string stopWords(const dialogs::DialogService& dialogs) {
  if (platform::terminationRequested()) return "stopped by a termination request";
  if (dialogs.messageBoxMissing()) {
    return "the message box VRDMSG cannot be found (" + dialogs.messageBoxFailure().message() +
           ")";
  }
  return "stopped by the operator";
}

std::string decisionWords(std::optional<char> answer) {
  if (answer == dialogs::kNobodyAnswered) {
    return "; nobody could be asked, so the whole conversion stops";
  }
  if (!answer) {
    return "; the message box VRDMSG cannot be found, so nobody can be asked";
  }
  return "; the operator chose to stop the whole conversion";
}

}  // namespace

void ConversionRun::showProgress() {
  if (directionOf(parameter_) == 'X') {
    progress_.step(counts_.transferSide, counts_.dataSide);
  } else {
    progress_.step(counts_.dataSide, counts_.transferSide);
  }
}

ConversionRun::AttemptResult ConversionRun::runExport() {
  // (The attempt has started the output segments again.)
  if (!dataFile_.issue(codes::kOpenForReading).ok() || !transferFile_.openSetForOutput().ok()) {
    return {dataFile_.dataStatus(), transferFile_.status()};
  }
  unsigned char* recordArea = block_.recordArea;
  std::memset(recordArea, 0, access::kRecordAreaLength);
  const bool keyOption = usesAlternativeCodes(parameter_);
  if (dataFile_.issue(keyOption ? codes::kStartByAlternateKey : codes::kStart).ok()) {
    dataFile_.issue(keyOption ? codes::kReadNextByAlternateKey : codes::kReadNext);
  }
  while (dataFile_.dataStatus().ok() && transferFile_.status().ok() &&
         !interruption_.interrupted()) {
    ++counts_.dataSide;
    if (transferFile_.writeRecord(recordArea).ok()) {
      ++counts_.transferSide;
      transferFile_.countWrittenRecord();
      dataFile_.issue(codes::kReadNext);
    }
    showProgress();
    if (transferFile_.segmentFull()) transferFile_.switchToNextOutputSegment();
  }
  return {reachedEnd(dataFile_.dataStatus()), transferFile_.status()};
}

ConversionRun::AttemptResult ConversionRun::runImport() {
  // Until "OU " the data side is untouched: a transfer file that fails first is reported as
  // the transfer file's failure, not the data file's.
  if (!transferFile_.takeAnnouncedSegments(parameter_)) {
    // Segments announced in a form no run can mean: nothing is written.
    return {platform::status::kSuccess, kSegmentCountInvalid, true};
  }
  if (FileStatus opened = transferFile_.openSetForInput(); !opened.ok()) {
    return {platform::status::kSuccess, opened};
  }
  if (FileStatus opened = dataFile_.issue(codes::kOpenForOutput); !opened.ok()) {
    return {opened, transferFile_.status()};
  }
  const char* writeCode =
      usesAlternativeCodes(parameter_) ? codes::kWriteByAlternateKey : codes::kWrite;
  // The transfer record is read straight into the first 1024 bytes of the record area: a read
  // that succeeds fills all of them, and one that does not ends the loop before the next write.
  unsigned char* recordArea = block_.recordArea;
  unsigned char* transferRecord = recordArea;
  unsigned char* spacesAfterRecord = recordArea + access::kTransferRecordLength;
  FileStatus data = platform::status::kSuccess;
  for (;;) {
    std::memset(transferRecord, 0, access::kTransferRecordLength);
    FileStatus transfer = transferFile_.readNextRecord(transferRecord);
    while (data.ok() && transfer.ok() && !interruption_.interrupted()) {
      ++counts_.transferSide;
      // The program may have changed the area at the last write: the spaces are laid again.
      std::memset(spacesAfterRecord, ' ',
                  access::kRecordAreaLength - access::kTransferRecordLength);
      const FileStatus written = dataFile_.issue(writeCode);
      data = written.is('0', '2') ? platform::status::kSuccess : written;
      if (data.ok()) {
        ++counts_.dataSide;
        transfer = transferFile_.readNextRecord(transferRecord);
      }
      showProgress();
    }
    transfer = reachedEnd(transfer);
    if (!transfer.ok() || !data.ok() || interruption_.interrupted()) return {data, transfer};
    // No further segment: the last one's end, or "35" for announced segments out of reach.
    if (!transferFile_.hasFurtherInputSegment()) return {data, reachedEnd(transferFile_.status())};
    if (FileStatus opened = transferFile_.switchToNextInputSegment(); !opened.ok()) {
      return {data, opened};
    }
  }
}

std::string ConversionRun::fileLine(bool transferSide) const {
  std::string line = texts::kFileLabel;
  line += '"';
  line.append(dataFileNameUpToSpace(parameter_));
  if (transferSide) line += layouts::kFirstSegmentSuffix;
  line += '"';
  return line;
}

std::string ConversionRun::describeDataFailure() const {
  if (dataFile_.programMissing()) {
    std::string text = "the record-access program " + std::string(dataFile_.programName()) +
                       " cannot be found";
    const std::string why = dataFile_.programFailure().message();
    if (!why.empty()) text += " (" + why + ")";
    return text;
  }
  const std::string operation = operationOf(dataFile_.lastCode());
  std::string text = operation + ": ";
  // A read or a write failed at the record after those the program delivered or accepted.
  if (operation == "read" || operation == "write") {
    text += "record " + access::recordNumberText(counts_.dataSide + 1) + ": ";
  }
  const std::string words = access::failureWordsIn(block_.recordArea);
  if (!words.empty()) return text + words + " (" + access::statusText(dataFile_.returnedStatus()) + ")";
  return text + access::describeStatus(dataFile_.returnedStatus(), operation);
}

std::string ConversionRun::describeTransferFailure(FileStatus status, const char* operation,
                                                  bool invalidSegmentCount) {
  std::string text = "transfer file " + transferFile_.failedName() + ": ";
  if (invalidSegmentCount) {
    return text + "the segment count in the run parameter (positions 118-119) is not 00-09";
  }
  text += operation;
  text += ": ";
  const std::string_view done = operation;
  if (done != "read" && done != "write") return text + access::describeStatus(status, done);
  // The record after those read from ("X") or written to ("B") the transfer file.
  text += "record " + access::recordNumberText(counts_.transferSide + 1) + ": ";
  const std::size_t left = transferFile_.recordFile().partialRecordBytes();
  if (status == platform::status::kLengthMismatch && left > 0) {
    return text + std::to_string(left) + (left == 1 ? " byte" : " bytes") +
           " left at the end, not a whole record (" + access::statusText(status) + ")";
  }
  return text + access::describeStatus(status, done);
}

RunDecision ConversionRun::end(RunDecision decision, std::string reason) {
  reason_ = decision == RunDecision::Converted ? std::string() : std::move(reason);
  return decision;
}

std::optional<RunDecision> ConversionRun::askAfterFileError(FileStatus status,
                                                           bool transferSide) {
  std::string line3 = texts::kErrorWord;
  line3.append(status.code, 2);
  dialogs_.message.clear();
  dialogs_.message.setLine(1, fileLine(transferSide));
  dialogs_.message.setLine(3, line3);
  dialogs_.message.setLine(4, texts::kIgnoreFile);
  std::optional<char> answer = dialogs::kYes;
  if (asksOnFileError(parameter_)) answer = dialogs_.confirm(dialogs::Default::No);
  lastAnswer_ = answer;
  if (answer == dialogs::kNo) return std::nullopt;  // start the file again
  // Yes gives the file up; any other answer (cancelled, nobody to answer) aborts the whole
  // conversion: an unanswered question never leads back into another attempt.
  return answer == dialogs::kYes ? RunDecision::GiveUpFile : RunDecision::Abort;
}

RunDecision ConversionRun::askAfterCountMismatch() {
  dialogs_.message.clear();
  dialogs_.message.setLine(1, fileLine(false));
  dialogs_.message.setLine(2, texts::kCountsLine2);
  dialogs_.message.setLine(3, texts::kCountsLine3);
  dialogs_.message.setLine(4, texts::kAbortConversion);
  std::optional<char> answer = dialogs_.confirm(dialogs::Default::No);
  lastAnswer_ = answer;
  // Nobody to answer gives the file up: the next file may still be converted.
  if (answer && (*answer == dialogs::kNo || *answer == dialogs::kNobodyAnswered)) {
    return RunDecision::GiveUpFile;
  }
  // Yes aborts; so does a cancelled question: counts that differ never pass as converted.
  return RunDecision::Abort;
}

FileStatus ConversionRun::closeDataFile(bool keepWrittenRecords) {
  if (directionOf(parameter_) != 'X') return dataFile_.issue(codes::kClose);
  unsigned char* recordArea = block_.recordArea;
  std::memset(recordArea, ' ', access::kRecordAreaLength);
  if (!keepWrittenRecords) {
    std::memcpy(recordArea, access::kDiscardWrittenRecords,
                sizeof access::kDiscardWrittenRecords - 1);
  }
  return dataFile_.issue(codes::kClose);
}

ConversionRun::AttemptEnd ConversionRun::endAttempt(const AttemptResult& result) {
  AttemptEnd attempt;
  attempt.transfer = result.transfer;
  attempt.data = result.data;
  const char* transferOperation = transferFile_.lastOperation();
  if (!attempt.data.ok()) attempt.failure = describeDataFailure();
  // The last buffered records reach the disk at the close: its failure is the file's.
  FileStatus closed = transferFile_.close();
  if (attempt.transfer.ok() && !closed.ok()) {
    attempt.transfer = closed;
    transferOperation = "close";
  }
  if (attempt.data.ok() && !attempt.transfer.ok()) {
    attempt.failure = describeTransferFailure(attempt.transfer, transferOperation,
                                              result.invalidSegmentCount);
  }
  // The point of no return: the interruption is read once, here. A keep "CL " that answers
  // success has replaced the data file ("X"), so a termination request that arrives from now on
  // no longer turns the run into a stop; one that arrived before makes "CL " discard.
  attempt.stopped = interruption_.interrupted();
  const bool wentWell = attempt.data.ok() && attempt.transfer.ok() && !attempt.stopped;
  FileStatus dataClosed = closeDataFile(wentWell);
  // In "X" the data file's last records reach the disk at its close: a close that fails is
  // a data-file error like a failing write, never a success.
  if (directionOf(parameter_) == 'X' && wentWell && !dataClosed.ok()) {
    attempt.data = dataClosed;
    attempt.failure = describeDataFailure();
  }
  return attempt;
}

std::optional<RunDecision> ConversionRun::decide(AttemptEnd& attempt) {
  if (attempt.stopped || dialogs_.messageBoxMissing()) {
    return end(RunDecision::Abort, stopWords(dialogs_));
  }
  if (!attempt.data.ok() || !attempt.transfer.ok()) {
    std::optional<RunDecision> decision = !attempt.data.ok()
                                              ? askAfterFileError(attempt.data, false)
                                              : askAfterFileError(attempt.transfer, true);
    // A termination request that came while the question was open ends the run.
    if (interruption_.interrupted()) {
      return end(RunDecision::Abort, attempt.failure + "; " + stopWords(dialogs_));
    }
    if (!decision) return std::nullopt;  // convert the file again
    if (*decision == RunDecision::Abort) attempt.failure += decisionWords(lastAnswer_);
    return end(*decision, attempt.failure);
  }
  if (counts_.dataSide == counts_.transferSide) return end(RunDecision::Converted, "");
  std::string countsText = "the counts differ: " + std::to_string(counts_.dataSide) +
                           " records on the data side, " + std::to_string(counts_.transferSide) +
                           " in the transfer file";
  RunDecision decision = askAfterCountMismatch();
  if (interruption_.interrupted()) {
    return end(RunDecision::Abort, countsText + "; " + stopWords(dialogs_));
  }
  if (decision == RunDecision::Abort) countsText += decisionWords(lastAnswer_);
  return end(decision, countsText);
}

RunDecision ConversionRun::run() {
  for (;;) {
    counts_ = {};
    transferFile_.startOutputSegments();
    showProgress();
    const AttemptResult result = directionOf(parameter_) == 'X' ? runImport() : runExport();
    AttemptEnd attempt = endAttempt(result);
    if (std::optional<RunDecision> decision = decide(attempt)) return *decision;
  }
}

}  // namespace dunax::converter
