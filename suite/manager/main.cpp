// dunaxconv: the conversion manager. Reads the command line, refuses what a run parameter cannot
// hold, files that would overwrite each other and --ask with nobody to answer, runs DUNAXMF once
// per data file through the platform's child processes and prints what became of each file.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/file_routines.h"
#include "platform/process.h"
#include "platform/record_file.h"
#include "platform/session.h"
#include "platform/text_encoding.h"
#include "platform/version.h"
#include "suite/manager/conversion_run.h"
#include "suite/manager/file_clashes.h"
#include "suite/manager/options.h"
#include "suite/manager/outcome.h"

namespace dunax::manager {
namespace {

constexpr std::size_t kListLineLength = 1024;
constexpr const char kScriptedAnswersVariable[] = "DUNAX_VRDMSG_ANSWERS";

void sayError(const std::string& text) { std::fprintf(stderr, "dunaxconv: %s\n", text.c_str()); }

// Reads the data file names of a list file into names. Returns an empty text, or why the file
// could not be read.
std::string readListFile(const std::string& path, std::vector<std::string>* names) {
  platform::RecordFile file(platform::Organization::LineSequential, kListLineLength);
  platform::FileStatus status = file.open(path.c_str(), platform::OpenMode::Input);
  if (status.is('3', '5')) return "the list file " + path + " does not exist";
  if (!status.ok()) return "the list file " + path + " cannot be read (status " +
                           std::string(status.code, 2) + ")";
  std::vector<char> line(kListLineLength);
  for (;;) {
    status = file.readNext(line.data());
    if (status.is('1', '0')) break;
    if (!status.ok()) {
      return "the list file " + path + " cannot be read (status " +
             std::string(status.code, 2) + ")";
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

// The real world of a run: converter processes, the monotonic clock, the file system.
class ProcessHost : public ConverterHost {
 public:
  explicit ProcessHost(std::string converter) : converter_(std::move(converter)) {}

  int startConverter(const RunParameter& parameter, std::string* error) override {
    std::vector<std::string> arguments = {"DUNAXMF",
                                          std::string(parameter.begin(), parameter.end())};
    platform::Expected<platform::ChildProcess> child =
        platform::startChildProcess(converter_, arguments);
    if (!child) {
      if (error) *error = child.status().message();
      return -1;
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
      if (children_.erase(childEnd.id) == 0) continue;
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

  // A segment counts as present unless opening it says it does not exist: a segment that is
  // there but unreadable is left for the converter to report. "\" is read as "/", and the name
  // is looked for in UTF-8 (how it was given) and as the Windows-1252 bytes themselves.
  bool fileExists(const std::string& windows1252Name) override {
    std::string raw = windows1252Name;
    for (char& c : raw) {
      if (c == '\\') c = '/';
    }
    std::string utf8;
    platform::appendUtf8FromWindows1252(raw.data(), raw.size(), utf8);
    if (present(utf8)) return true;
    return utf8 != raw && present(raw);
  }

  bool stopRequested() override { return platform::stopRequested(); }

  void tell(const std::string& line) override {
    std::printf("dunaxconv: %s\n", line.c_str());
    std::fflush(stdout);
  }

 private:
  static bool present(const std::string& name) {
    platform::RecordFile file(platform::Organization::RecordSequential, 1);
    platform::FileStatus status = file.open(name.c_str(), platform::OpenMode::Input);
    if (file.isOpen()) file.close();
    return !status.is('3', '5');
  }

  std::string converter_;
  std::map<int, platform::ChildProcess> children_;
};

int runManager(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  Options options;
  std::string error = parseArguments(arguments, &options);
  if (!error.empty()) {
    sayError(error);
    sayError("see dunaxconv --help");
    return kExitBadUsage;
  }
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
    error = readListFile(options.listFile, &names);
    if (!error.empty()) {
      sayError(error);
      return kExitBadUsage;
    }
  }
  names.insert(names.end(), options.files.begin(), options.files.end());

  RunPlan plan;
  plan.settings = options.settings;
  std::vector<std::string> problems = checkDataFiles(names, &plan.files);
  if (problems.empty()) problems = findFileClashes(plan.files, realPathOrName);
  if (!problems.empty()) {
    for (const std::string& problem : problems) sayError("refused: " + problem);
    sayError("nothing was converted");
    return kExitBadUsage;
  }

  const bool watched = platform::standardInputIsTerminal();
  plan.jobs = options.jobs;
  if (plan.jobs > 1 && watched) {
    std::printf(
        "dunaxconv: standard input is a terminal, so the files are converted one at a time "
        "(--jobs is for unattended runs, e.g. with < /dev/null)\n");
    plan.jobs = 1;
  }
  // On a terminal Ctrl+C belongs to the converter's window (it asks whether to interrupt);
  // otherwise it stops the run after the files being converted.
  platform::noteStopRequests(!watched);

  std::string converter = options.converter;
  if (converter.empty()) converter = platform::programDirectory() + "/DUNAXMF";
  ProcessHost host(converter);
  RunReport report = runConversion(plan, host);

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
