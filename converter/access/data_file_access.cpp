// The data-file access call with its report of a record-access program that cannot be found.
#include "converter/access/data_file_access.h"

#include <cstring>
#include <string>

#include "converter/access/status_class.h"
#include "converter/texts.h"
#include "platform/console.h"

namespace dunax::converter::access {
namespace {

bool isClose(const char code[3]) { return std::memcmp(code, codes::kClose, 3) == 0; }

}  // namespace

platform::FileStatus DataFileAccess::issue(const char code[3]) {
  programMissing_ = false;
  std::memcpy(lastCode_, code, sizeof lastCode_);
  block_.setRequestCode(code);
  // Words of why a request failed are only ever those of this request. (The area is changed
  // only where an earlier answer left the mark: "ST " still finds its zero bytes.)
  unsigned char* mark = block_.recordArea + layouts::kTransferRecordLength;
  if (std::memcmp(mark, layouts::kFailureWordsMark, sizeof layouts::kFailureWordsMark - 1) == 0) {
    std::memset(mark, ' ', sizeof layouts::kFailureWordsMark - 1);
  }
  programFailure_ = program_.call(block_);
  if (!programFailure_.ok()) {
    programMissing_ = true;
    returnedStatus_ = kNoStatusYet;
    // An operation that never reached the program must not pass for a success left over from
    // an earlier attempt.
    if (dataStatus_.ok() || dataStatus_.is('0', '2')) dataStatus_ = kNoStatusYet;
    reportProgramMissing();
    return dataStatus_;
  }
  returnedStatus_ = block_.fileStatus();
  platform::FileStatus classified = classifyDataStatus(returnedStatus_);
  if (classified.is('3', '5')) block_.setFileStatus(classified);
  dataStatus_ = classified;
  if (isClose(code)) program_.release();
  return dataStatus_;
}

void DataFileAccess::reportProgramMissing() {
  std::string line1(9, ' ');
  line1 += "PROGRAMA \"";
  line1.append(program_.name());
  line1.resize(9 + 10 + 8, ' ');
  line1 += '"';
  dialogs_.message.clear();
  dialogs_.message.setLine(1, line1);
  dialogs_.message.setLine(3, texts::kNotInstalled);
  dialogs_.reportError();
}

}  // namespace dunax::converter::access
