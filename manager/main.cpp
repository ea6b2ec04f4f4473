// dunaxconv: the conversion manager. Reads the command line, refuses what a run parameter cannot
// hold, files that would overwrite each other, --ask with nobody to answer and a record-access
// program the converter would not find, runs DUNAXMF once per data file in the file's own folder
// through the platform's child processes, and prints what became of each file and why.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/durable_files.h"
#include "platform/file_identity.h"
#include "platform/file_routines.h"
#include "platform/host_path.h"
#include "platform/process.h"
#include "platform/program_call.h"
#include "platform/record_file.h"
#include "platform/session.h"
#include "platform/text_encoding.h"
#include "platform/version.h"
#include "manager/check.h"
#include "manager/clean_up.h"
#include "manager/conversion_run.h"
#include "manager/file_clashes.h"
#include "manager/options.h"
#include "manager/outcome.h"
#include "manager/transfer_set_checks.h"
#include "manager/verify.h"

namespace dunax::manager {
namespace {

constexpr std::size_t kListLineLength = 1024;
constexpr const char kScriptedAnswersVariable[] = "DUNAX_VRDMSG_ANSWERS";
constexpr const char kModulePathVariable[] = "COB_LIBRARY_PATH";
// The most of a converter's standard error kept for its reason (the reason is the last line).
constexpr std::size_t kMostErrorTextKept = std::size_t{64} * 1024;

void sayError(const std::string& text) { std::fprintf(stderr, "dunaxconv: %s\n", text.c_str()); }

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

// The real path of a name for comparing files; the name as written when it cannot be had.
std::string realPathOrName(const std::string& name) {
  platform::Expected<std::string> real = platform::realPath(name);
  if (real) return *real;
  return platform::hostPathFrom(name).valueOr({});
}

// What a name of a file of the run reaches, as the converter opens it in the file's folder: the
// file's identity (device and number, the same for hard links) when it exists, otherwise its
// real path.
std::string fileKeyOf(const DataFile& file, const std::string& windows1252Name) {
  const std::string own = platform::hostNameFromRecord(windows1252Name).valueOr(windows1252Name);
  const std::string name =
      file.folder.empty() ? own : file.folder + (file.folder.back() == '/' ? "" : "/") + own;
  if (platform::Expected<platform::FileIdentity> identity = platform::fileIdentity(name)) {
    return "file " + std::to_string(identity->device) + ":" + std::to_string(identity->number);
  }
  return "path " + realPathOrName(name);
}

// A segment counts as present unless opening it says it does not exist: a segment that is there
// but unreadable is left for the converter to report. "\" is read as "/", and the name is looked
// for in UTF-8 (how it was given) and as the Windows-1252 bytes themselves.
bool segmentExists(const std::string& folder, const std::string& windows1252Name) {
  const auto present = [](const std::string& name) {
    platform::RecordFile file(platform::Organization::RecordSequential, 1);
    platform::FileStatus status = file.open(name.c_str(), platform::OpenMode::Input);
    if (file.isOpen()) file.close();
    return !status.is('3', '5');
  };
  std::string raw = windows1252Name;
  for (char& c : raw) {
    if (c == '\\') c = '/';
  }
  std::string utf8;
  platform::appendUtf8FromWindows1252(raw.data(), raw.size(), utf8);
  const std::string prefix = folder.empty() ? "" : folder + "/";
  if (present(prefix + utf8)) return true;
  return utf8 != raw && present(prefix + raw);
}

// The directory of the program at path, symbolic links resolved as the program itself sees its
// directory; the path's own directory part when it cannot be resolved.
std::string directoryOfProgram(const std::string& path) {
  std::string real = realPathOrName(path);
  std::size_t slash = real.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : real.substr(0, slash);
}

// The converters run in their data files' folders: relative folders of the module search path
// are made absolute first, so that they still name the folders meant.
void makeModulePathAbsolute() {
  const char* value = platform::environmentValue(kModulePathVariable);
  if (value == nullptr) return;
  const platform::Expected<std::string> current = platform::currentDirectory();
  if (!current) return;
  const std::string absolute = platform::moduleSearchPathUnder(value, *current);
  // Best effort: a path that cannot be set stays as it was given.
  if (absolute != value) (void)platform::setEnvironmentValue(kModulePathVariable, absolute.c_str());
}

// Succeeds when the converter at converterPath will find the record-access program
// (Windows-1252) by its search; otherwise fails with what cannot be found, where it was looked
// for, and what to do.
platform::Status checkProgramFound(const std::string& program, const std::string& converterPath) {
  platform::ModuleSearch search = platform::findModule(program, directoryOfProgram(converterPath));
  if (!search.path.empty()) return {};
  std::string name;
  platform::appendUtf8FromWindows1252(program.data(), program.size(), name);
  return refusal("the record-access program " + name + " cannot be found (searched: " +
                 search.searched + "): put " + name +
                 ".so in one of those folders, or name its folder in " + kModulePathVariable);
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
    std::printf("dunaxconv: %s\n", line.c_str());
    std::fflush(stdout);
  }

  void passOn(const std::string& converterLines) override {
    if (quiet_) return;
    std::fflush(stdout);
    std::fputs(converterLines.c_str(), stderr);
    std::fflush(stderr);
  }

 private:
  std::string converter_;
  bool quiet_;
  std::map<int, platform::ChildProcess> children_;
};

int runManager(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
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
    std::fputs(helpText(), stdout);
    return kExitAllConverted;
  }
  if (options.version) {
    std::printf("dunaxconv (dunax) %s\n", platform::kDunaxVersion);
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
  if (options.shard.count != 0) {
    names = namesOfShard(names, options.shard);
    if (names.empty()) {
      std::printf("dunaxconv: shard %llu/%llu holds none of the files\n", options.shard.index,
                  options.shard.count);
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

  ProcessHost host(converter, options.quiet);
  RunReport report = runConversion(plan, host);

  if (!options.quiet) {
    for (const std::string& notice : notices) std::printf("dunaxconv: %s\n", notice.c_str());
  }
  std::printf("\n%s", formatSummary(report.results).c_str());
  if (!report.stopReason.empty()) std::printf("The run was stopped: %s.\n", report.stopReason.c_str());
  const int exitCode = exitCodeOf(report.results);
  std::printf("Exit code %d.\n", exitCode);
  std::fflush(stdout);
  return exitCode;
}

}  // namespace
}  // namespace dunax::manager

int main(int argc, char** argv) { return dunax::manager::runManager(argc, argv); }
