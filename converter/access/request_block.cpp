// The request block's request code and the file status the record-access program answers.
#include "converter/access/request_block.h"

#include <cstring>

namespace dunax::converter::access {
void RequestBlock::setRequestCode(const char code[3]) {
  std::memcpy(requestCode, code, sizeof requestCode);
}

platform::FileStatus RequestBlock::fileStatus() const {
  return {layouts::RequestBlock::fileStatus[0], layouts::RequestBlock::fileStatus[1]};
}

void RequestBlock::setFileStatus(platform::FileStatus status) {
  std::memcpy(layouts::RequestBlock::fileStatus, status.code, 2);
}

}  // namespace dunax::converter::access
