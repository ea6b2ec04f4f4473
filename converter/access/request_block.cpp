// Filling the request block from the run parameter.
#include "converter/access/request_block.h"

#include <cstring>

namespace dunax::converter::access {
namespace {

template <std::size_t Width>
void copyField(char (&to)[Width], const char (&from)[Width]) {
  std::memcpy(to, from, Width);
}

}  // namespace

void RequestBlock::setRequestCode(const char code[3]) {
  std::memcpy(requestCode, code, sizeof requestCode);
}

platform::FileStatus RequestBlock::fileStatus() const {
  return {layouts::RequestBlock::fileStatus[0], layouts::RequestBlock::fileStatus[1]};
}

void RequestBlock::setFileStatus(platform::FileStatus status) {
  std::memcpy(layouts::RequestBlock::fileStatus, status.code, 2);
}

void fillRequestBlock(RequestBlock& block, const RunParameter& parameter) {
  std::memset(&block, 0, sizeof block);
  block.blockVersion[0] = layouts::kRequestBlockVersion;
  block.separator[0] = ' ';
  std::memset(block.zeros, '0', sizeof block.zeros);
  copyField(block.passThroughA, parameter.passThroughA);
  copyField(block.passThroughB, parameter.passThroughB);
  copyField(block.passThroughE, parameter.passThroughE);
  copyField(block.dataFileName, parameter.dataFileName);
  copyField(block.passThroughC, parameter.passThroughC);
  copyField(block.passThroughD, parameter.passThroughD);
  copyField(block.passThroughAAgain, parameter.passThroughA);
  copyField(block.passThroughF, parameter.passThroughF);
}

}  // namespace dunax::converter::access
