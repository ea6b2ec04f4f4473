// Comparing data files with their transfer sets, record by record.
#include "manager/verify.h"

#include "layouts/request_block.h"
#include "platform/durable_files.h"
#include "platform/file_routines.h"
#include "manager/data_file_reader.h"
#include "manager/leftovers.h"
#include "manager/operator_lines.h"
#include "manager/room.h"
#include "manager/segments.h"
#include "manager/transfer_set_reader.h"

namespace dunax::manager {
namespace {

constexpr int kAllSame = 0;
constexpr int kSomeDiffer = 1;
constexpr int kNoTransferSet = 64;

bool isPadding(unsigned char byte) { return byte == ' ' || byte == 0; }

std::string recordsText(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " record" : " records");
}

// Reads the rest of one side to count its records; false when it cannot be read to its end.
template <class Reader>
bool countRest(Reader& reader, std::uint64_t* count) {
  for (;;) {
    const ReadEnd end = reader.next();
    if (end == ReadEnd::End) return true;
    if (end == ReadEnd::Failed) return false;
    ++*count;
  }
}

// Compares one data file, in the current folder, with its transfer set. Returns its line.
std::string compareFile(const RunSettings& settings, const DataFile& file, bool* same) {
  *same = false;
  DataFileReader data(settings);
  TransferSetReader transfer;
  if (!transfer.open(file.windows1252)) return "the transfer set cannot be read: " + transfer.why();
  if (!data.open(file.windows1252)) return "the data file cannot be read: " + data.why();
  const std::size_t length = recordLengthOf(settings);
  std::uint64_t number = 0;
  for (;;) {
    const ReadEnd dataEnd = data.next();
    if (dataEnd == ReadEnd::Failed) return "the data file cannot be read: " + data.why();
    const ReadEnd transferEnd = transfer.next();
    if (transferEnd == ReadEnd::Failed) {
      return "the transfer set cannot be read: " + transfer.why();
    }
    if (dataEnd == ReadEnd::End && transferEnd == ReadEnd::End) {
      *same = true;
      return "same (" + recordsText(number) + ")";
    }
    if (dataEnd == ReadEnd::End || transferEnd == ReadEnd::End) {
      std::uint64_t dataCount = number + (dataEnd == ReadEnd::Record ? 1 : 0);
      std::uint64_t transferCount = number + (transferEnd == ReadEnd::Record ? 1 : 0);
      const bool counted = dataEnd == ReadEnd::End ? countRest(transfer, &transferCount)
                                                   : countRest(data, &dataCount);
      if (!counted) {
        return dataEnd == ReadEnd::End ? "the transfer set cannot be read: " + transfer.why()
                                       : "the data file cannot be read: " + data.why();
      }
      return "the data file has " + recordsText(dataCount) + ", its transfer set " +
             recordsText(transferCount);
    }
    ++number;
    const int offset = firstDifference(data.record(), transfer.record(), length);
    if (offset >= 0) {
      return "record " + std::to_string(number) + " differs from its transfer record at byte " +
             "offset " + std::to_string(offset) + " (from 0)";
    }
  }
}

}  // namespace

int firstDifference(const unsigned char* dataRecord, const unsigned char* transferRecord,
                    std::size_t recordLength) {
  const std::size_t strict = recordLength == 0 ? layouts::kTransferRecordLength : recordLength;
  for (std::size_t at = 0; at < layouts::kTransferRecordLength; ++at) {
    const unsigned char a = dataRecord[at];
    const unsigned char b = transferRecord[at];
    if (a == b || (at >= strict && isPadding(a) && isPadding(b))) continue;
    return static_cast<int>(at);
  }
  return -1;
}

int verifyDataFiles(const RunSettings& settings, const std::vector<DataFile>& files) {
  for (const DataFile& file : files) {
    const std::string first = hostPathIn(file.folder, transferSegmentName(file.windows1252, 0));
    if (first.empty() || !platform::fileExists(first.c_str())) {
      sayError("refused: \"" + file.name + "\" has no transfer set (" + first +
               " is not there); nothing was read");
      return kNoTransferSet;
    }
  }
  const platform::Expected<std::string> home = platform::currentDirectory();
  if (!home) {
    sayError("the current folder cannot be had: " + home.status().message());
    return kSomeDiffer;
  }
  int exitCode = kAllSame;
  for (const DataFile& file : files) {
    std::string line;
    bool same = false;
    if (platform::Status entered = platform::changeDirectory(file.folder.empty() ? *home : file.folder);
        !entered.ok()) {
      line = "its folder " + file.folder + " cannot be entered: " + entered.message();
    } else {
      line = compareFile(settings, file, &same);
    }
    if (platform::Status back = platform::changeDirectory(*home); !back.ok()) {
      sayError("the folder " + *home + " cannot be entered again: " + back.message());
      return kSomeDiffer;
    }
    if (!same) exitCode = kSomeDiffer;
    tellOperator(file.name + ": " + line);
  }
  return exitCode;
}

}  // namespace dunax::manager
