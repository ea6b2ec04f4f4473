// dunaxconv: the conversion manager. Reads the command line, refuses what a run parameter cannot
// hold, files that would overwrite each other, --ask with nobody to answer and a record-access
// program the converter would not find, runs DUNAXMF once per data file in the file's own folder
// through the platform's child processes, and prints what became of each file and why; keeps
// the migration report and carries over what an earlier report shows unchanged.
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "layouts/converter_counts.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/digest.h"
#include "platform/durable_files.h"
#include "platform/file_identity.h"
#include "platform/host_path.h"
#include "platform/process.h"
#include "platform/program_arguments.h"
#include "platform/record_file.h"
#include "platform/session.h"
#include "platform/text_encoding.h"
#include "platform/version.h"
#include "manager/check.h"
#include "manager/clean_up.h"
#include "manager/batch_line.h"
#include "manager/conversion_run.h"
#include "manager/file_clashes.h"
#include "manager/migration_report.h"
#include "manager/host_files.h"
#include "manager/operator_lines.h"
#include "manager/options.h"
#include "manager/outcome.h"
#include "manager/report_writer.h"
#include "manager/resume.h"
#include "manager/segments.h"
#include "manager/transfer_set_checks.h"
#include "manager/verify.h"

namespace dunax::manager {
namespace {

constexpr std::size_t kListLineLength = 1024;
constexpr const char kScriptedAnswersVariable[] = "DUNAX_VRDMSG_ANSWERS";
// The most of a converter's standard error kept for its reason (the reason is the last line).
constexpr std::size_t kMostErrorTextKept = std::size_t{64} * 1024;

// Reads the data file names of a list file into names. Fails with why the file could not be
// read.
platform::Status readListFile(const std::string& path, std::vector<std::string>* names) {
  platform::RecordFile file(platform::Organization::LineSequential, kListLineLength);
  platform::FileStatus status = file.open(path.c_str(), platform::OpenMode::Input);
  if (status.is('3', '5')) return refusal("the list file " + path + " does not exist");
  std::vector<char> line(kListLineLength);
  while (status.ok()) {
    status = file.readNext(line.data());
    if (!status.ok()) break;
    std::string name = dataFileNameOfListLine(std::string(line.data(), line.size()));
    if (!name.empty()) names->push_back(name);
  }
  if (status.is('1', '0')) return {};  // the end of the list
  return refusal("the list file " + path + " cannot be read (status " +
                 std::string(status.code, 2) + ")");
}

// With --ask the converter asks the operator on a file error. Returns true when someone can
// answer: standard input is a terminal, or the message box has scripted answers. Otherwise a
// run would end at the first file error with nobody having been asked.
bool someoneCanAnswer() {
  if (platform::standardInputIsTerminal()) return true;
  const char* answers = platform::environmentValue(kScriptedAnswersVariable);
  return answers != nullptr && answers[0] != '\0';
}

// The name under which the manager reaches a file (Windows-1252 name) of a data file's folder.
std::string nameInFolder(const std::string& folder, const std::string& windows1252Name) {
  std::string own;
  platform::appendUtf8FromWindows1252(windows1252Name.data(), windows1252Name.size(), own);
  own = platform::hostNameFromRecord(windows1252Name).valueOr(own);
  return inFolder(folder, own);
}

// The names of segments 0 to extraSegments of a data file's transfer set; empty when a segment
// cannot be named.
std::vector<std::string> transferNames(const DataFile& file, int extraSegments) {
  std::vector<std::string> names;
  for (int segment = 0; segment <= extraSegments; ++segment) {
    const std::string name = transferSegmentName(file.windows1252, segment);
    if (name.empty()) return {};
    names.push_back(nameInFolder(file.folder, name));
  }
  return names;
}

// The absolute path of a data file for the report: its folder's real path and its own name.
std::string absolutePathOf(const DataFile& file) {
  const std::size_t slash = file.name.find_last_of("/\\");
  const std::string own = slash == std::string::npos ? file.name : file.name.substr(slash + 1);
  const std::string folder = realPathOrName(file.folder.empty() ? "." : file.folder);
  // A Windows real path has "\" between its parts: the own name goes on with one too.
  const char separator = folder.find('\\') != std::string::npos ? '\\' : '/';
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) return folder + own;
  return folder + separator + own;
}

// Now in ISO 8601, UTC, to the second: "2026-12-09T19:30:00Z".
std::string timestampOfNow() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

// What the report needs of a run beside the results: the plan, each file's absolute path and,
// for a file carried over, the earlier report's entry.
struct ReportContext {
  const RunPlan* plan = nullptr;
  std::vector<std::string> absolutePaths;
  std::vector<ReportEntry> carried;  // by file; used for the unchanged ones
  ReportWriter* writer = nullptr;    // null without --report
};

// The report's entry for a file that ended with result.
ReportJob reportJobOf(const ReportContext& context, std::size_t index, const FileResult& result) {
  ReportJob job;
  if (result.outcome == Outcome::Unchanged) {
    job.entry = context.carried[index];
  } else {
    job.entry.exitCode = result.exitCode;
    job.entry.reason = result.reason;
    job.entry.recordsRead = result.counts.read;
    job.entry.recordsWritten = result.counts.written;
    job.entry.segments = result.outcome == Outcome::Converted ? result.segments : -1;
    job.entry.started = result.started;
    job.entry.seconds = result.seconds;
  }
  const DataFile& file = context.plan->files[index];
  job.entry.file = context.absolutePaths[index];
  job.entry.direction = context.plan->settings.direction;
  job.entry.program = context.plan->settings.program;
  job.entry.outcome = reportOutcomeWord(result.outcome);
  if (result.outcome == Outcome::Converted && result.segments >= 0) {
    job.digest = true;
    job.transferNames = transferNames(file, result.segments);
    job.dataName = file.name;
  }
  return job;
}

// The real world of a run: converter processes, the monotonic clock, the file system, the
// operator's lines (none but the summary with --quiet), the report and the batch line.
class ProcessHost : public ConverterHost {
 public:
  ProcessHost(std::string converter, bool quiet, const ReportContext& report)
      : converter_(std::move(converter)), quiet_(quiet), report_(report) {}

  // Starts the batch line (runs without a terminal only).
  void tellBatches() {
    ticker_ = std::make_unique<BatchTicker>([this] { return secondsNow(); },
                                            [this](const std::string& line) { tell(line); });
  }
  void stopBatches() {
    if (ticker_) ticker_->stop();
  }

  platform::Status checkFolder(const std::string& folder) override {
    if (folder.empty()) return {};
    return platform::checkWorkingDirectory(folder);
  }

  platform::Expected<int> startConverter(const RunParameterText& parameter,
                                         const std::string& folder) override {
    std::vector<std::string> arguments = {"DUNAXMF",
                                          std::string(parameter.begin(), parameter.end())};
    platform::ChildSettings settings;
    settings.workingDirectory = folder;
    settings.captureStandardError = true;
    platform::Expected<platform::ChildProcess> child =
        platform::startChildProcess(converter_, arguments, settings);
    if (!child) return child.status();
    children_[child->id] = *child;
    return child->id;
  }

  platform::Expected<int> waitForConverter(ConverterEnd* end) override {
    if (children_.empty()) {
      return platform::Status::failure(platform::StatusCode::NotFound, "no run is left");
    }
    for (;;) {
      platform::Expected<platform::ChildEnd> ended = platform::waitForAnyChild();
      if (!ended) return ended.status();
      const platform::ChildEnd& childEnd = *ended;
      auto found = children_.find(childEnd.id);
      if (found == children_.end()) continue;
      end->errorText = platform::takeCapturedError(found->second, kMostErrorTextKept);
      children_.erase(found);
      end->started = true;
      end->exited = childEnd.exited;
      end->exitCode = childEnd.exitCode;
      end->signal = childEnd.signal;
      return childEnd.id;
    }
  }

  double secondsNow() override {
    return static_cast<double>(platform::monotonicNanoseconds()) / 1e9;
  }

  bool fileExists(const std::string& folder, const std::string& windows1252Name) override {
    return segmentExists(folder, windows1252Name);
  }

  bool stopRequested() override { return platform::stopRequested(); }

  void tell(const std::string& line) override {
    if (quiet_) return;
    const std::lock_guard<std::mutex> lock(lineMutex_);
    tellOperator(line);
  }

  void passOn(const std::string& converterLines) override {
    if (quiet_) return;
    const std::lock_guard<std::mutex> lock(lineMutex_);
    writeLines(converterLines, Stream::Error);
  }

  std::string timestampNow() override { return timestampOfNow(); }

  std::int64_t fileBytes(const std::string& folder, const std::string& windows1252Name) override {
    const platform::Expected<std::uint64_t> size =
        platform::fileSize(nameInFolder(folder, windows1252Name));
    return size ? static_cast<std::int64_t>(*size) : -1;
  }

  void fileEnded(std::size_t index, const FileResult& result) override {
    if (report_.writer != nullptr) report_.writer->submit(reportJobOf(report_, index, result));
  }

  void progressed(const BatchProgress& progress) override {
    if (ticker_) ticker_->update(progress);
  }

 private:
  std::string converter_;
  bool quiet_;
  const ReportContext& report_;
  std::map<int, platform::ChildProcess> children_;
  std::mutex lineMutex_;
  std::unique_ptr<BatchTicker> ticker_;
};

// Fills report.carried and marks in the plan the files that the earlier report shows converted
// and unchanged since.
void carryOver(const std::map<std::string, ReportEntry>& earlier, RunPlan& plan,
               ReportContext& report) {
  report.carried.resize(plan.files.size());
  for (std::size_t i = 0; i < plan.files.size(); ++i) {
    const auto found = earlier.find(report.absolutePaths[i]);
    if (found == earlier.end()) continue;
    DataFile& file = plan.files[i];
    const ReportEntry& entry = found->second;
    file.unchanged = carriedResult(entry, plan.settings.direction, plan.settings.program,
                                   transferNames(file, entry.segments < 0 ? 0 : entry.segments),
                                   file.name);
    if (file.unchanged) report.carried[i] = entry;
  }
}

// Refuses a report that is the --resume file itself (it would be emptied before it is read).
platform::Status checkReportIsNotResume(const Options& options) {
  if (options.reportFile.empty() || options.resumeFile.empty()) return {};
  const platform::Expected<platform::FileIdentity> report =
      platform::fileIdentity(options.reportFile);
  const platform::Expected<platform::FileIdentity> resume =
      platform::fileIdentity(options.resumeFile);
  const bool same = report && resume ? report->device == resume->device &&
                                           report->number == resume->number
                                     : options.reportFile == options.resumeFile;
  if (!same) return {};
  return refusal("--report " + options.reportFile +
                 " is the --resume file: it would be emptied before it is read; give the new "
                 "report another name");
}

int runManager(const std::vector<std::string>& commandLine) {
  std::vector<std::string> arguments(commandLine.begin() + 1, commandLine.end());
  if (asksForCleanUp(arguments)) return runCleanUp(arguments);
  // "verify PROGRAM FILE..." reads the files as direction "B" does.
  const bool verifying = !arguments.empty() && arguments[0] == "verify";
  if (verifying) arguments[0] = "B";
  const platform::Expected<Options> parsed = parseArguments(arguments);
  if (!parsed) {
    sayError(parsed.status().message());
    sayError("see dunaxconv --help");
    return kExitBadUsage;
  }
  const Options& options = *parsed;
  if (options.help) {
    writeLines(helpText(), Stream::Output);
    return kExitAllConverted;
  }
  if (options.version) {
    writeLines(std::string("dunaxconv (dunax) ") + platform::kDunaxVersion, Stream::Output);
    return kExitAllConverted;
  }
  if (options.settings.ask && !someoneCanAnswer()) {
    const std::string variable = kScriptedAnswersVariable;
    sayError("--ask needs someone to answer, but standard input is not a terminal and " + variable +
             " holds no answers: run it on a terminal, give the answers in " + variable +
             ", or leave out --ask");
    return kExitBadUsage;
  }

  if (platform::Status clash = checkReportIsNotResume(options); !clash.ok()) {
    sayError(clash.message());
    return kExitBadUsage;
  }
  std::map<std::string, ReportEntry> earlier;
  if (!options.resumeFile.empty()) {
    platform::Expected<std::map<std::string, ReportEntry>> read =
        readResumeReport(options.resumeFile);
    if (!read) {
      sayError(read.status().message() + "; nothing was converted");
      return kExitBadUsage;
    }
    earlier = std::move(*read);
  }

  std::vector<std::string> names;
  if (!options.listFile.empty()) {
    const platform::Status listed = readListFile(options.listFile, &names);
    if (!listed.ok()) {
      sayError(listed.message());
      return kExitBadUsage;
    }
  }
  names.insert(names.end(), options.files.begin(), options.files.end());
  if (options.shard.count != 0) {
    names = namesOfShard(names, options.shard);
    if (names.empty()) {
      tellOperator("shard " + std::to_string(options.shard.index) + "/" +
                   std::to_string(options.shard.count) + " holds none of the files");
      return kExitAllConverted;
    }
  }

  std::string converter = options.converter;
  if (converter.empty() || verifying) converter = platform::programDirectory() + "/DUNAXMF";
  makeModulePathAbsolute();
  const platform::Status found = checkProgramFound(options.settings.program, converter);
  if (!found.ok() && !options.check) {
    sayError(found.message());
    return kExitBadUsage;
  }

  RunPlan plan;
  plan.settings = options.settings;
  std::vector<std::string> problems = checkDataFiles(names, &plan.files);
  if (options.check) {
    if (!found.ok()) problems.insert(problems.begin(), found.message());
    return checkRun(plan, problems, fileKeyOf, segmentExists);
  }
  if (verifying && problems.empty()) return verifyDataFiles(plan.settings, plan.files);
  if (problems.empty()) problems = findFileClashes(plan.files, fileKeyOf);
  if (problems.empty()) {
    problems = findTransferSetProblems(plan.files, plan.settings.direction, segmentExists);
  }
  if (!problems.empty()) {
    for (const std::string& problem : problems) sayError("refused: " + problem);
    sayError("nothing was converted");
    return kExitBadUsage;
  }

  const bool watched = platform::standardInputIsTerminal();
  // On a terminal the converter's panel takes the screen while it runs: notices wait until the
  // last panel has closed, just before the summary.
  std::vector<std::string> notices;
  plan.jobs = options.jobs;
  if (plan.jobs > 1 && watched) {
    notices.push_back(
        "standard input is a terminal, so the files were converted one at a time "
        "(--jobs is for unattended runs, e.g. with < /dev/null)");
    plan.jobs = 1;
  }
  // Without a terminal nothing is drawn: a line says when each file starts.
  plan.tellStarts = !watched;
  // On a terminal Ctrl+C belongs to the converter's window (it asks whether to interrupt);
  // otherwise it stops the run after the files being converted.
  // Where the handlers cannot be installed, a stop request ends the manager the host's way.
  (void)platform::noteStopRequests(!watched);

  // The converter says its counts at its end (a line on standard error the manager takes out).
  // The environment is set here, before the report's thread starts.
  if (platform::Status asked = platform::setEnvironmentValue(
          layouts::kCountsVariable, std::string(layouts::kCountsVariableOn).c_str());
      !asked.ok()) {
    sayError("the record counts cannot be asked of the converter: " + asked.message());
  }
  ReportContext context;
  context.plan = &plan;
  ReportWriter writer;
  if (!options.reportFile.empty()) {
    if (platform::Status opened = writer.open(options.reportFile); !opened.ok()) {
      sayError("the report " + options.reportFile + " cannot be written: " + opened.message() +
               "; nothing was converted");
      return kExitBadUsage;
    }
    context.writer = &writer;
  }
  for (const DataFile& file : plan.files) context.absolutePaths.push_back(absolutePathOf(file));
  if (!options.resumeFile.empty()) carryOver(earlier, plan, context);

  ProcessHost host(converter, options.quiet, context);
  if (!watched) host.tellBatches();
  RunReport report = runConversion(plan, host);
  host.stopBatches();
  const platform::Status reported = writer.finish();

  if (!options.quiet) {
    for (const std::string& notice : notices) tellOperator(notice);
  }
  writeLines("\n" + formatSummary(report.results), Stream::Output);
  if (!report.stopReason.empty()) {
    writeLines("The run was stopped: " + report.stopReason + ".", Stream::Output);
  }
  int exitCode = exitCodeOf(report.results);
  if (!reported.ok()) {
    writeLines("The report " + options.reportFile + " is not complete: " + reported.message() + ".",
               Stream::Output);
    exitCode = kExitStoppedOrFailed;
  }
  writeLines("Exit code " + std::to_string(exitCode) + ".", Stream::Output);
  return exitCode;
}

}  // namespace
}  // namespace dunax::manager

int main(int argc, char** argv) {
  const dunax::platform::ProgramArguments arguments(argc, argv);
  return dunax::manager::runManager(arguments.all());
}
