// Fuzz target: RECSEQ's reading of the request block's fields, the plain functions of the
// record-access program: the request code, the record length in pass-through field B and the
// data file name. (Carrying out a request opens the file the block names, which a fuzzer must
// not do; the end-to-end and fault tests cover that with real files.)
//
// Input: the request block's first 88 bytes (code at 4, field B at 10, name at 38), padded with
// spaces when shorter.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "suite/records/request_block.h"
#include "suite/records/sequential_access.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using dunax::records::RequestBlock;
  static RequestBlock block;
  std::memset(&block, ' ', sizeof block);
  std::memcpy(&block, data, size < 88 ? size : 88);

  const dunax::records::Request request = dunax::records::parseRequest(block.requestCode);
  DUNAX_FUZZ_CHECK(static_cast<int>(request) >= 0 &&
                   request <= dunax::records::Request::Unknown);

  const std::size_t length = dunax::records::parseRecordLength(block.passThroughB, sizeof block.passThroughB);
  DUNAX_FUZZ_CHECK(length <= dunax::records::kMaxRecordLength);

  char name[sizeof block.dataFileName + 1];
  std::memset(name, 'x', sizeof name);
  const std::size_t nameLength =
      dunax::records::extractFileName(block.dataFileName, sizeof block.dataFileName, name);
  DUNAX_FUZZ_CHECK(nameLength <= sizeof block.dataFileName);
  DUNAX_FUZZ_CHECK(name[nameLength] == '\0');
  for (std::size_t i = 0; i < nameLength; ++i) {
    DUNAX_FUZZ_CHECK(name[i] != ' ' && name[i] != '\0' && name[i] != '\\');
  }
  return 0;
}
