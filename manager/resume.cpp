// Reading an earlier report and deciding which files carry over.
#include "manager/resume.h"

#include <vector>

#include "manager/run_parameter.h"
#include "platform/digest.h"
#include "platform/record_file.h"

namespace dunax::manager {
namespace {

// The longest line of a report read back (a path and a reason fit many times over).
constexpr std::size_t kLongestReportLine = std::size_t{64} * 1024;

}  // namespace

platform::Expected<std::map<std::string, ReportEntry>> readResumeReport(const std::string& name) {
  platform::RecordFile file(platform::Organization::LineSequential, kLongestReportLine);
  platform::FileStatus status = file.open(name.c_str(), platform::OpenMode::Input);
  if (!status.ok()) {
    return refusal("the report " + name + " given to --resume cannot be read (status " +
                   std::string(status.code, 2) + ")");
  }
  std::map<std::string, ReportEntry> entries;
  std::vector<char> line(kLongestReportLine);
  for (std::size_t number = 1;; ++number) {
    status = file.readNext(line.data());
    if (status.is('1', '0')) break;
    if (!status.ok() && !status.is('0', '4')) {
      return refusal("the report " + name + " given to --resume cannot be read at line " +
                     std::to_string(number) + " (status " + std::string(status.code, 2) + ")");
    }
    std::string text(line.data(), line.size());
    text.erase(text.find_last_not_of(" \r") + 1);
    if (text.empty()) continue;
    platform::Expected<ReportEntry> entry = readReportLine(text);
    if (!entry) {
      return refusal("the report " + name + " given to --resume is not a report of dunaxconv: "
                     "line " + std::to_string(number) + ": " + entry.status().message());
    }
    entries[entry->file] = *entry;
  }
  return entries;
}

std::optional<FileResult> carriedResult(const ReportEntry& earlier, char direction,
                                        const std::string& program,
                                        const std::vector<std::string>& transferNames,
                                        const std::string& dataName) {
  if (earlier.outcome != reportOutcomeWord(Outcome::Converted) &&
      earlier.outcome != reportOutcomeWord(Outcome::Unchanged)) {
    return std::nullopt;
  }
  if (earlier.direction != direction || earlier.program != program) return std::nullopt;
  if (earlier.segments < 0 || earlier.transferSha256.empty() || earlier.dataSha256.empty() ||
      transferNames.size() != static_cast<std::size_t>(earlier.segments) + 1) {
    return std::nullopt;
  }
  const platform::Expected<platform::FilesDigest> transfer = platform::digestFiles(transferNames);
  if (!transfer || transfer->sha256 != earlier.transferSha256) return std::nullopt;
  const platform::Expected<platform::FilesDigest> data = platform::digestFiles({dataName});
  if (!data || data->sha256 != earlier.dataSha256) return std::nullopt;
  FileResult result;
  result.outcome = Outcome::Unchanged;
  result.segments = earlier.segments;
  result.exitCode = earlier.exitCode;
  result.counts.read = earlier.recordsRead;
  result.counts.written = earlier.recordsWritten;
  result.counts.segments = earlier.segments;
  result.bytes = earlier.bytes;
  result.started = earlier.started;
  return result;
}

}  // namespace dunax::manager
