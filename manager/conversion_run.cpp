// The manager's run: starting converter runs in order, reading their ends, deciding to go on.
#include "manager/conversion_run.h"

#include <cstdio>
#include <map>

#include "manager/estimate.h"
#include "manager/segments.h"

namespace dunax::manager {
namespace {

struct RunningFile {
  std::size_t index;
  double startSeconds;
};

// The records of a file's line: "250,000 records" when both sides agree, else both counts.
std::string recordsText(const ConverterCounts& counts) {
  if (counts.read == counts.written) {
    return groupedCount(counts.written) + (counts.written == 1 ? " record" : " records");
  }
  return groupedCount(counts.read) + " records read, " + groupedCount(counts.written) +
         " written";
}

std::string progressLine(std::size_t index, std::size_t total, char direction,
                         const FileResult& result) {
  std::string line = "[" + std::to_string(index + 1) + "/" + std::to_string(total) + "] " +
                     result.name + ": " + describeOutcome(result.outcome);
  const bool converted =
      result.outcome == Outcome::Converted || result.outcome == Outcome::Unchanged;
  if (result.outcome == Outcome::Converted && result.segments >= 0) {
    line += ", " + std::to_string(result.segments) + " extra segment" +
            (result.segments == 1 ? "" : "s") + (direction == 'B' ? " written" : " read");
  }
  char number[64];
  if (result.outcome == Outcome::Unchanged) {
    line += " (";
  } else {
    std::snprintf(number, sizeof number, " (%.1f s", result.seconds);
    line += number;
    if (result.counts.known()) line += ", ";
  }
  if (result.counts.known()) line += recordsText(result.counts);
  if (converted && result.bytes > 0 && result.seconds > 0 && result.outcome != Outcome::Unchanged) {
    std::snprintf(number, sizeof number, ", %.0f MB/s",
                  static_cast<double>(result.bytes) / 1e6 / result.seconds);
    line += number;
  }
  line += ")";
  if (line.size() >= 3 && line.compare(line.size() - 3, 3, " ()") == 0) line.resize(line.size() - 3);
  if (!result.reason.empty()) line += ": " + result.reason;
  return line;
}

// The bytes of the transfer set of a file converted with extraSegments segments after the
// first; -1 when a segment's size cannot be had.
std::int64_t transferSetBytes(ConverterHost& host, const DataFile& file, int extraSegments) {
  std::int64_t bytes = 0;
  for (int segment = 0; segment <= extraSegments; ++segment) {
    const std::string name = transferSegmentName(file.windows1252, segment);
    const std::int64_t size = name.empty() ? -1 : host.fileBytes(file.folder, name);
    if (size < 0) return -1;
    bytes += size;
  }
  return bytes;
}

std::string startLine(std::size_t index, std::size_t total, const std::string& name) {
  return "[" + std::to_string(index + 1) + "/" + std::to_string(total) + "] " + name +
         ": converting";
}

}  // namespace

RunReport runConversion(const RunPlan& plan, ConverterHost& host) {
  RunReport report;
  const std::size_t total = plan.files.size();
  const unsigned jobs = plan.jobs == 0 ? 1 : plan.jobs;
  report.results.resize(total);
  for (std::size_t i = 0; i < total; ++i) report.results[i].name = plan.files[i].name;

  std::map<int, RunningFile> running;
  std::size_t next = 0;
  double finishedSeconds = 0;
  std::uint64_t finishedFiles = 0;
  bool stop = false;
  BatchProgress batch;
  batch.filesTotal = total;
  batch.startSeconds = host.secondsNow();
  batch.jobs = jobs;
  host.progressed(batch);
  const auto ended = [&](std::size_t index) {
    const FileResult& result = report.results[index];
    ++batch.filesDone;
    if (result.outcome != Outcome::Unchanged) {
      batch.busySeconds += result.seconds;
      if (result.counts.known()) batch.records += result.counts.written;
      if (result.bytes > 0) batch.bytes += result.bytes;
    }
    host.fileEnded(index, result);
    host.progressed(batch);
  };

  for (;;) {
    while (!stop && next < total && running.size() < jobs) {
      if (host.stopRequested()) {
        stop = true;
        report.stopReason = "the operator asked to stop";
        break;
      }
      const std::size_t index = next++;
      FileResult& result = report.results[index];
      if (plan.files[index].unchanged) {
        result = *plan.files[index].unchanged;
        result.name = plan.files[index].name;
        result.outcome = Outcome::Unchanged;
        result.reason.clear();
        host.tell(progressLine(index, total, plan.settings.direction, result));
        ended(index);
        continue;
      }
      FilePlace place;
      place.fileName = plan.files[index].windows1252;
      place.number = index + 1;
      place.total = total;
      place.remaining = estimateRemaining(finishedSeconds, finishedFiles, total - index, jobs);
      const std::string& folder = plan.files[index].folder;
      if (plan.settings.direction == 'X') {
        place.segments = countExtraSegments(place.fileName, [&](const std::string& name) {
          return host.fileExists(folder, name);
        });
        result.segments = place.segments;
      }
      const double startSeconds = host.secondsNow();
      if (plan.tellStarts) host.tell(startLine(index, total, result.name));
      result.started = host.timestampNow();
      if (const platform::Status entered = host.checkFolder(folder); !entered.ok()) {
        result.outcome = Outcome::Skipped;
        result.segments = -1;
        result.reason = "its folder " + folder + " cannot be entered: " + entered.message();
        host.tell(progressLine(index, total, plan.settings.direction, result));
        ended(index);
        continue;
      }
      const platform::Expected<int> id =
          host.startConverter(buildRunParameter(plan.settings, place), folder);
      if (!id) {
        ConverterEnd end;
        end.started = false;
        result.outcome = Outcome::Failed;
        result.reason = reasonOf(end, {}, id.status().message());
        host.tell(progressLine(index, total, plan.settings.direction, result));
        ended(index);
        stop = true;
        report.stopReason = "the converter could not be started";
        break;
      }
      running[*id] = RunningFile{index, startSeconds};
    }
    if (running.empty()) break;

    ConverterEnd end;
    const platform::Expected<int> id = host.waitForConverter(&end);
    if (!id) {
      // The runs we started are gone without a word: count them as failed.
      for (const auto& [lostId, file] : running) {
        report.results[file.index].outcome = Outcome::Failed;
        report.results[file.index].reason = "its end could not be waited for";
        ended(file.index);
      }
      running.clear();
      if (report.stopReason.empty()) report.stopReason = "a converter run was lost";
      break;
    }
    auto found = running.find(*id);
    if (found == running.end()) continue;  // not one of ours
    const RunningFile file = found->second;
    running.erase(found);

    FileResult& result = report.results[file.index];
    result.seconds = host.secondsNow() - file.startSeconds;
    if (result.seconds < 0) result.seconds = 0;
    finishedSeconds += result.seconds;
    ++finishedFiles;
    result.outcome = outcomeOf(end);
    if (end.exited) result.exitCode = end.exitCode;
    if (result.outcome == Outcome::Converted && plan.settings.direction == 'B') {
      result.segments = end.exitCode;
    }
    const ConverterWords words =
        readConverterWords(end.errorText, plan.files[file.index].windows1252);
    if (!words.otherLines.empty()) host.passOn(words.otherLines);
    result.counts = words.counts;
    result.reason = reasonOf(end, words.reason, {});
    if (result.outcome == Outcome::Converted) {
      result.bytes = transferSetBytes(host, plan.files[file.index], result.segments);
    }
    host.tell(progressLine(file.index, total, plan.settings.direction, result));
    ended(file.index);
    if (stopsRun(result.outcome) && !stop) {
      stop = true;
      report.stopReason = result.outcome == Outcome::Stopped
                              ? "the conversion of " + result.name + " asked to stop the run"
                              : "the conversion of " + result.name + " failed";
    }
  }
  for (std::size_t i = 0; i < total; ++i) {
    if (report.results[i].outcome == Outcome::NotStarted) host.fileEnded(i, report.results[i]);
  }
  return report;
}

}  // namespace dunax::manager
