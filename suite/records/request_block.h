// The request block as a record-access program receives it (layouts/request_block.h), and what
// the sample programs add to it: the longest record they move.
#pragma once

#include <cstddef>

#include "layouts/request_block.h"

namespace dunax::records {

using layouts::RequestBlock;
using layouts::kDiscardWrittenRecords;

// The largest record a record-access program moves: the converter's transfer record.
inline constexpr std::size_t kMaxRecordLength = layouts::kTransferRecordLength;

}  // namespace dunax::records
