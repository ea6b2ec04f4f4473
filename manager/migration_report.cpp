// The migration report's lines, written and read with nlohmann-json.
#include "manager/migration_report.h"

#include <iterator>

#include <nlohmann/json.hpp>

#include "manager/run_parameter.h"

namespace dunax::manager {
namespace {

using Json = nlohmann::json;

Json textOrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

template <typename Number>
Json numberOrNull(Number number) {
  return number < 0 ? Json(nullptr) : Json(number);
}

// By Outcome, in its order.
constexpr const char* kOutcomeWords[] = {"not started", "converted", "skipped",
                                         "stopped",     "failed",    "unchanged"};
static_assert(std::size(kOutcomeWords) == static_cast<std::size_t>(Outcome::Unchanged) + 1);

// Reads an optional text field: null (or missing) gives the empty text.
bool readText(const Json& object, const char* name, std::string* text, bool required) {
  const auto found = object.find(name);
  if (found == object.end() || found->is_null()) return !required;
  if (!found->is_string()) return false;
  *text = found->get<std::string>();
  return true;
}

// Reads a count field that may be null (or missing): -1 then.
template <typename Number>
bool readCount(const Json& object, const char* name, Number* number) {
  const auto found = object.find(name);
  if (found == object.end() || found->is_null()) return true;
  if (!found->is_number_integer() || found->get<std::int64_t>() < 0) return false;
  *number = static_cast<Number>(found->get<std::int64_t>());
  return true;
}

}  // namespace

const char* reportOutcomeWord(Outcome outcome) {
  return kOutcomeWords[static_cast<std::size_t>(outcome)];
}

std::string reportLine(const ReportEntry& entry) {
  Json line = Json::object();
  line["file"] = entry.file;
  line["direction"] = std::string(1, entry.direction);
  line["program"] = entry.program;
  line["outcome"] = entry.outcome;
  line["exit_code"] = numberOrNull(entry.exitCode);
  line["reason"] = textOrNull(entry.reason);
  line["records_read"] = numberOrNull(entry.recordsRead);
  line["records_written"] = numberOrNull(entry.recordsWritten);
  line["segments"] = numberOrNull(entry.segments);
  line["transfer_sha256"] = textOrNull(entry.transferSha256);
  line["data_sha256"] = textOrNull(entry.dataSha256);
  line["bytes"] = numberOrNull(entry.bytes);
  line["started"] = textOrNull(entry.started);
  line["seconds"] = static_cast<double>(static_cast<std::int64_t>(entry.seconds * 1000)) / 1000;
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

platform::Expected<ReportEntry> readReportLine(std::string_view line) {
  const Json object = Json::parse(line, nullptr, false);
  if (object.is_discarded()) return refusal("not JSON");
  if (!object.is_object()) return refusal("not a JSON object");
  ReportEntry entry;
  std::string direction;
  if (!readText(object, "file", &entry.file, true) || entry.file.empty()) {
    return refusal("no \"file\" text");
  }
  if (!readText(object, "direction", &direction, true) || (direction != "B" && direction != "X")) {
    return refusal("no \"direction\" B or X");
  }
  entry.direction = direction[0];
  if (!readText(object, "program", &entry.program, true) || entry.program.empty()) {
    return refusal("no \"program\" text");
  }
  bool known = false;
  if (readText(object, "outcome", &entry.outcome, true)) {
    for (const char* word : kOutcomeWords) known = known || entry.outcome == word;
  }
  if (!known) return refusal("no \"outcome\" of a report (\"converted\", \"skipped\", ...)");
  if (!readText(object, "transfer_sha256", &entry.transferSha256, false) ||
      !readText(object, "data_sha256", &entry.dataSha256, false) ||
      !readText(object, "reason", &entry.reason, false) ||
      !readText(object, "started", &entry.started, false)) {
    return refusal("a text field (digest, reason, started) that is not text or null");
  }
  if (!readCount(object, "records_read", &entry.recordsRead) ||
      !readCount(object, "records_written", &entry.recordsWritten) ||
      !readCount(object, "segments", &entry.segments) || !readCount(object, "bytes", &entry.bytes) ||
      !readCount(object, "exit_code", &entry.exitCode)) {
    return refusal("a count (records, segments, bytes, exit code) that is not a whole number or null");
  }
  return entry;
}

}  // namespace dunax::manager
