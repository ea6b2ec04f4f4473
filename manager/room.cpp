// The room estimates of a run's outputs and their words.
#include "manager/room.h"

#include <cstdio>

#include "layouts/request_block.h"

namespace dunax::manager {
namespace {

constexpr std::uint64_t kTransferRecord = layouts::kTransferRecordLength;

bool isSequential(const RunSettings& settings) { return settings.program == kSequentialProgram; }

}  // namespace

std::uint64_t recordLengthOf(const RunSettings& settings) {
  const std::string& field = settings.fieldB;
  if (field.find_first_not_of(' ') == std::string::npos) {
    return isSequential(settings) ? kTransferRecord : 0;
  }
  std::uint64_t length = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return 0;
    length = length * 10 + static_cast<unsigned>(c - '0');
  }
  return length >= 1 && length <= kTransferRecord ? length : 0;
}

RoomNeed transferSetNeed(const RunSettings& settings, std::uint64_t dataBytes) {
  const std::uint64_t length = recordLengthOf(settings);
  const std::uint64_t records = dataBytes / (length == 0 ? 1 : length);
  return {records * kTransferRecord, isSequential(settings) && length != 0};
}

RoomNeed dataFileNeed(const RunSettings& settings, std::uint64_t transferBytes) {
  const std::uint64_t length = recordLengthOf(settings);
  const std::uint64_t records = transferBytes / kTransferRecord;
  return {records * (length == 0 ? kTransferRecord : length),
          isSequential(settings) && length != 0};
}

std::string bytesText(std::uint64_t bytes) {
  const std::string plain = std::to_string(bytes);
  std::string digits;
  for (std::size_t at = 0; at < plain.size(); ++at) {
    if (at != 0 && (plain.size() - at) % 3 == 0) digits += ',';
    digits += plain[at];
  }
  const char* units[] = {"KB", "MB", "GB", "TB", "PB"};
  double scaled = static_cast<double>(bytes);
  int unit = -1;
  while (scaled >= 1000.0 && unit < 4) {
    scaled /= 1000.0;
    ++unit;
  }
  if (unit < 0) return digits + (bytes == 1 ? " byte" : " bytes");
  char shown[32];
  std::snprintf(shown, sizeof shown, " bytes (%.1f %s)", scaled, units[unit]);
  return digits + shown;
}

}  // namespace dunax::manager
