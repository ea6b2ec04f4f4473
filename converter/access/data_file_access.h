// Data-file access: every record operation on the data file goes to the outside record-access
// program, called by name with the request block; its status comes back classified.
#pragma once

#include "converter/access/record_access_program.h"
#include "converter/access/request_block.h"
#include "dialogs/dialog_service.h"
#include "platform/file_status.h"
#include "platform/status.h"

namespace dunax::converter::access {

namespace codes = layouts::request_code;

// At "CL " in direction "X" the record area says what becomes of the records written since
// "OU ": all spaces, keep them (the data file is replaced by the new one); kDiscardWrittenRecords
// followed by spaces, discard them (the attempt failed or was stopped: the data file stays as
// it was).
using layouts::kDiscardWrittenRecords;

// The data status before any call: two spaces, a failure to every caller.
inline constexpr platform::FileStatus kNoStatusYet{' ', ' '};

class DataFileAccess {
 public:
  DataFileAccess(RequestBlock& block, RecordAccessProgram& program,
                 dialogs::DialogService& dialogs)
      : block_(block), program_(program), dialogs_(dialogs) {}

  // Sets the request code, lays spaces over a mark of failure words an earlier answer left
  // (layouts/request_block.h), calls the program and classifies the status it wrote into the data
  // status. A program that cannot be found is reported through an error report and the data
  // status is left failed. After "CL " the program is released.
  // Returns the data status.
  platform::FileStatus issue(const char code[3]);

  platform::FileStatus dataStatus() const { return dataStatus_; }
  // The status of the last request as the program wrote it, before classification (two
  // spaces when the program was not reached).
  platform::FileStatus returnedStatus() const { return returnedStatus_; }
  // The request code of the last request (three characters, not terminated).
  const char* lastCode() const { return lastCode_; }
  // The program's name, and why it could not be found (success while it could).
  std::string_view programName() const { return program_.name(); }
  const platform::Status& programFailure() const { return programFailure_; }
  bool programMissing() const { return programMissing_; }

 private:
  void reportProgramMissing();

  RequestBlock& block_;
  RecordAccessProgram& program_;
  dialogs::DialogService& dialogs_;
  platform::FileStatus dataStatus_ = kNoStatusYet;
  platform::FileStatus returnedStatus_ = kNoStatusYet;
  char lastCode_[3] = {' ', ' ', ' '};
  bool programMissing_ = false;
  platform::Status programFailure_;
};

}  // namespace dunax::converter::access
