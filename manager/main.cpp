// dunaxconv: the conversion manager. Reads the command line, refuses what a run parameter cannot
// hold, files that would overwrite each other, --ask with nobody to answer and a record-access
// program the converter would not find, runs DUNAXMF once per data file in the file's own folder
// through the platform's child processes, and prints what became of each file and why.
#include <map>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/durable_files.h"
#include "platform/file_routines.h"
#include "platform/process.h"
#include "platform/program_arguments.h"
#include "platform/record_file.h"
#include "platform/session.h"
#include "platform/version.h"
#include "manager/conversion_run.h"
#include "manager/file_clashes.h"
#include "manager/host_files.h"
#include "manager/operator_lines.h"
#include "manager/options.h"
#include "manager/outcome.h"
#include "manager/transfer_set_checks.h"

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
  if (!status.ok()) return refusal("the list file " + path + " cannot be read (status " +
                                   std::string(status.code, 2) + ")");
  std::vector<char> line(kListLineLength);
  for (;;) {
    status = file.readNext(line.data());
    if (status.is('1', '0')) break;
    if (!status.ok()) {
      return refusal("the list file " + path + " cannot be read (status " +
                     std::string(status.code, 2) + ")");
    }
    std::string name = dataFileNameOfListLine(std::string(line.data(), line.size()));
    if (!name.empty()) names->push_back(name);
  }
  return {};
}

// With --ask the converter asks the operator on a file error. Returns true when someone can
// answer: standard input is a terminal, or the message box has scripted answers. Otherwise a
// run would end at the first file error with nobody having been asked.
bool someoneCanAnswer() {
  if (platform::standardInputIsTerminal()) return true;
  const char* answers = platform::environmentValue(kScriptedAnswersVariable);
  return answers != nullptr && answers[0] != '\0';
}

// The real world of a run: converter processes, the monotonic clock, the file system, the
// operator's lines (none but the summary with --quiet).
class ProcessHost : public ConverterHost {
 public:
  ProcessHost(std::string converter, bool quiet)
      : converter_(std::move(converter)), quiet_(quiet) {}

  int startConverter(const RunParameterText& parameter, const std::string& folder,
                     std::string* error) override {
    if (!folder.empty()) {
      if (platform::Status problem = platform::checkWorkingDirectory(folder); !problem.ok()) {
        *error = "its folder " + folder + " cannot be entered: " + problem.message();
        return kFolderUnusable;
      }
    }
    std::vector<std::string> arguments = {"DUNAXMF",
                                          std::string(parameter.begin(), parameter.end())};
    platform::ChildSettings settings;
    settings.workingDirectory = folder;
    settings.captureStandardError = true;
    platform::Expected<platform::ChildProcess> child =
        platform::startChildProcess(converter_, arguments, settings);
    if (!child) {
      if (error) *error = child.status().message();
      return kConverterNotStarted;
    }
    children_[child->id] = *child;
    return child->id;
  }

  int waitForConverter(ConverterEnd* end) override {
    if (children_.empty()) return -1;
    for (;;) {
      platform::Expected<platform::ChildEnd> ended = platform::waitForAnyChild();
      if (!ended) return -1;
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
    tellOperator(line);
  }

  void passOn(const std::string& converterLines) override {
    if (quiet_) return;
    writeLines(converterLines, Stream::Error);
  }

 private:
  std::string converter_;
  bool quiet_;
  std::map<int, platform::ChildProcess> children_;
};

int runManager(const std::vector<std::string>& commandLine) {
  std::vector<std::string> arguments(commandLine.begin() + 1, commandLine.end());
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

  std::vector<std::string> names;
  if (!options.listFile.empty()) {
    const platform::Status listed = readListFile(options.listFile, &names);
    if (!listed.ok()) {
      sayError(listed.message());
      return kExitBadUsage;
    }
  }
  names.insert(names.end(), options.files.begin(), options.files.end());

  std::string converter = options.converter;
  if (converter.empty()) converter = platform::programDirectory() + "/DUNAXMF";
  makeModulePathAbsolute();
  const platform::Status found = checkProgramFound(options.settings.program, converter);
  if (!found.ok()) {
    sayError(found.message());
    return kExitBadUsage;
  }

  RunPlan plan;
  plan.settings = options.settings;
  std::vector<std::string> problems = checkDataFiles(names, &plan.files);
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

  ProcessHost host(converter, options.quiet);
  RunReport report = runConversion(plan, host);

  if (!options.quiet) {
    for (const std::string& notice : notices) tellOperator(notice);
  }
  writeLines("\n" + formatSummary(report.results), Stream::Output);
  if (!report.stopReason.empty()) {
    writeLines("The run was stopped: " + report.stopReason + ".", Stream::Output);
  }
  const int exitCode = exitCodeOf(report.results);
  writeLines("Exit code " + std::to_string(exitCode) + ".", Stream::Output);
  return exitCode;
}

}  // namespace
}  // namespace dunax::manager

int main(int argc, char** argv) {
  const dunax::platform::ProgramArguments arguments(argc, argv);
  return dunax::manager::runManager(arguments.all());
}
