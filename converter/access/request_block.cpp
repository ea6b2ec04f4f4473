// Filling the request block from the run parameter.
#include "converter/access/request_block.h"

#include <cstring>

namespace dunax::converter::access {
namespace {

void copyField(RequestBlock& block, std::size_t offset, const RunParameter& parameter,
               RunField field) {
  std::memcpy(block.bytes + offset, parameter.at(field), field.width);
}

}  // namespace

void RequestBlock::setRequestCode(const char code[3]) {
  std::memcpy(bytes + block_offsets::kRequestCode, code, 3);
}

platform::FileStatus RequestBlock::fileStatus() const {
  return {static_cast<char>(bytes[block_offsets::kFileStatus]),
          static_cast<char>(bytes[block_offsets::kFileStatus + 1])};
}

void RequestBlock::setFileStatus(platform::FileStatus status) {
  std::memcpy(bytes + block_offsets::kFileStatus, status.code, 2);
}

void fillRequestBlock(RequestBlock& block, const RunParameter& parameter) {
  using namespace block_offsets;
  std::memset(block.bytes, 0, sizeof block.bytes);
  block.bytes[kLevel] = '2';
  block.bytes[kSpace] = ' ';
  std::memset(block.bytes + kZeros, '0', 10);
  copyField(block, kPassThroughA, parameter, run_fields::kPassThroughA);
  copyField(block, kPassThroughB, parameter, run_fields::kPassThroughB);
  copyField(block, kPassThroughE, parameter, run_fields::kPassThroughE);
  copyField(block, kDataFileName, parameter, run_fields::kDataFileName);
  copyField(block, kPassThroughC, parameter, run_fields::kPassThroughC);
  copyField(block, kPassThroughD, parameter, run_fields::kPassThroughD);
  copyField(block, kPassThroughA2, parameter, run_fields::kPassThroughA);
  copyField(block, kPassThroughF, parameter, run_fields::kPassThroughF);
}

}  // namespace dunax::converter::access
