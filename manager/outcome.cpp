// Reading the converter's exit code and its reason, the summary table and the manager's exit
// code.
#include "manager/outcome.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "layouts/exit_codes.h"
#include "platform/text_encoding.h"

namespace dunax::manager {
namespace {

const char* signalName(int signal) {
  switch (signal) {
    case 1: return "SIGHUP";
    case 2: return "SIGINT";
    case 3: return "SIGQUIT";
    case 4: return "SIGILL";
    case 6: return "SIGABRT";
    case 7: return "SIGBUS";
    case 8: return "SIGFPE";
    case 9: return "SIGKILL";
    case 11: return "SIGSEGV";
    case 13: return "SIGPIPE";
    case 15: return "SIGTERM";
    default: return nullptr;
  }
}

// Characters of UTF-8 text, for lining up the columns.
std::size_t displayWidth(const std::string& text) {
  std::size_t width = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
  }
  return width;
}

std::string formatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

}  // namespace

Outcome outcomeOf(const ConverterEnd& end) {
  if (!end.started || !end.exited) return Outcome::Failed;
  if (end.exitCode >= 0 && end.exitCode <= layouts::kExitMostConverted) return Outcome::Converted;
  if (end.exitCode == layouts::kExitGiveUpFile) return Outcome::Skipped;
  if (end.exitCode == layouts::kExitAbortConversion) return Outcome::Stopped;
  return Outcome::Failed;
}

bool stopsRun(Outcome outcome) {
  return outcome == Outcome::Stopped || outcome == Outcome::Failed;
}

const char* describeOutcome(Outcome outcome) {
  switch (outcome) {
    case Outcome::NotStarted: return "not started";
    case Outcome::Converted: return "converted";
    case Outcome::Skipped: return "skipped";
    case Outcome::Stopped: return "stopped the run";
    case Outcome::Failed: return "failed";
    case Outcome::Unchanged: return "unchanged";
  }
  return "?";
}

ConverterWords readConverterWords(const std::string& errorText, const std::string& fileName) {
  std::string utf8Name;
  platform::appendUtf8FromWindows1252(fileName.data(), fileName.size(), utf8Name);
  const std::string prefixes[] = {"DUNAXMF: " + fileName + ": ", "DUNAXMF: " + utf8Name + ": "};
  std::vector<std::string> lines;
  std::size_t reasonLine = std::string::npos;
  std::size_t reasonStart = 0;
  ConverterCounts counts;
  for (std::size_t start = 0; start < errorText.size();) {
    std::size_t end = errorText.find('\n', start);
    if (end == std::string::npos) end = errorText.size();
    std::string line = errorText.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (readCountsLine(line, &counts)) continue;
    for (const std::string& prefix : prefixes) {
      if (line.compare(0, prefix.size(), prefix) == 0) {
        reasonLine = lines.size();
        reasonStart = prefix.size();
        break;
      }
    }
    lines.push_back(line);
  }
  ConverterWords words;
  words.counts = counts;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == reasonLine) {
      words.reason = lines[i].substr(reasonStart);
    } else {
      words.otherLines += lines[i] + "\n";
    }
  }
  return words;
}

std::string reasonOf(const ConverterEnd& end, const std::string& converterReason,
                     const std::string& startError) {
  if (!end.started) return "the converter could not be started: " + startError;
  const std::string given = converterReason.empty() ? "" : ": " + converterReason;
  switch (outcomeOf(end)) {
    case Outcome::Converted:
    case Outcome::NotStarted:
    case Outcome::Unchanged:
      return {};
    case Outcome::Skipped:
      return converterReason.empty() ? "given up (no reason given by the converter)"
                                     : converterReason;
    case Outcome::Stopped:
      return converterReason.empty() ? "no reason given by the converter" : converterReason;
    case Outcome::Failed:
      break;
  }
  if (end.exited) return "unexpected exit code " + std::to_string(end.exitCode) + given;
  std::string text = "the converter ended by signal " + std::to_string(end.signal);
  if (const char* name = signalName(end.signal)) text += std::string(" (") + name + ")";
  return text + given;
}

std::string groupedCount(std::int64_t count) {
  std::string digits = std::to_string(count < 0 ? -count : count);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return count < 0 ? "-" + digits : digits;
}

std::string formatSummary(const std::vector<FileResult>& results) {
  std::size_t nameWidth = 4;
  for (const FileResult& result : results) {
    nameWidth = std::max(nameWidth, displayWidth(result.name));
  }
  std::size_t numberWidth = std::max<std::size_t>(1, std::to_string(results.size()).size());

  auto pad = [](std::string text, std::size_t width, bool onTheLeft = false) {
    const std::size_t shown = displayWidth(text);
    if (shown < width) text.insert(onTheLeft ? 0 : text.size(), width - shown, ' ');
    return text;
  };
  auto padLeft = [&pad](std::string text, std::size_t width) {
    return pad(std::move(text), width, true);
  };

  std::string out = pad("#", numberWidth) + "  " + pad("file", nameWidth) + "  " +
                    pad("outcome", 15) + "  segments  " + padLeft("records", 11) + "  " +
                    padLeft("time", 9) + "  reason\n";
  std::size_t counts[6] = {};
  std::int64_t read = 0;
  std::int64_t written = 0;
  bool countsKnown = false;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const FileResult& result = results[i];
    ++counts[static_cast<int>(result.outcome)];
    bool ran = result.outcome != Outcome::NotStarted && result.outcome != Outcome::Unchanged;
    std::string segments = result.segments >= 0 && result.outcome != Outcome::NotStarted
                               ? std::to_string(result.segments)
                               : "-";
    std::string records = "-";
    if (result.counts.known()) {
      read += result.counts.read;
      written += result.counts.written;
      countsKnown = true;
      records = groupedCount(result.counts.written);
    }
    std::string line = padLeft(std::to_string(i + 1), numberWidth) + "  " +
                       pad(result.name, nameWidth) + "  " +
                       pad(describeOutcome(result.outcome), 15) + "  " + padLeft(segments, 8) +
                       "  " + padLeft(records, 11) + "  " + padLeft(ran ? formatSeconds(result.seconds) : "-", 9);
    if (!result.reason.empty()) line += "  " + result.reason;
    out += line + "\n";
  }
  out += std::to_string(results.size()) + (results.size() == 1 ? " file: " : " files: ") +
         std::to_string(counts[static_cast<int>(Outcome::Converted)]) + " converted, " +
         std::to_string(counts[static_cast<int>(Outcome::Skipped)]) + " skipped, " +
         std::to_string(counts[static_cast<int>(Outcome::Failed)]) + " failed, " +
         std::to_string(counts[static_cast<int>(Outcome::Stopped)]) + " stopped the run, " +
         std::to_string(counts[static_cast<int>(Outcome::NotStarted)]) + " not started";
  if (const std::size_t unchanged = counts[static_cast<int>(Outcome::Unchanged)]) {
    out += ", " + std::to_string(unchanged) + " unchanged";
  }
  if (countsKnown) {
    out += "; " + groupedCount(read) + " records read, " + groupedCount(written) + " written";
  }
  return out + "\n";
}

int exitCodeOf(const std::vector<FileResult>& results) {
  bool skipped = false;
  for (const FileResult& result : results) {
    if (result.outcome == Outcome::Skipped) skipped = true;
    if (result.outcome != Outcome::Converted && result.outcome != Outcome::Skipped &&
        result.outcome != Outcome::Unchanged) {
      return kExitStoppedOrFailed;
    }
  }
  return skipped ? kExitSomeSkipped : kExitAllConverted;
}

}  // namespace dunax::manager
