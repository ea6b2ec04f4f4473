// The request block as the converter fills it: the record laid out in layouts/request_block.h,
// with the request code set per call and the file status the record-access program answers.
#pragma once

#include <cstddef>

#include "converter/run_parameter.h"
#include "layouts/request_block.h"
#include "platform/file_status.h"

namespace dunax::converter::access {

using layouts::kRequestBlockLength;
using layouts::kTransferRecordLength;
inline constexpr std::size_t kRecordAreaLength = sizeof(layouts::RequestBlock::recordArea);

struct RequestBlock : layouts::RequestBlock {
  void setRequestCode(const char code[3]);
  platform::FileStatus fileStatus() const;
  void setFileStatus(platform::FileStatus status);
};
static_assert(sizeof(RequestBlock) == kRequestBlockLength);
using layouts::fillRequestBlock;

}  // namespace dunax::converter::access
