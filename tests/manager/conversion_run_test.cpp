// The manager's run played against a scripted host: the run parameter each converter run gets,
// the reaction to every exit code, side-by-side runs and stop requests.
#include "manager/conversion_run.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace dunax::manager {
namespace {

// A host whose converter runs end as the test scripts them. Runs end in the order they were
// started unless a test says otherwise; each run takes secondsPerRun on the host's clock.
class ScriptedHost : public ConverterHost {
 public:
  std::map<std::string, ConverterEnd> endByFile;   // keyed by the file name in the parameter
  std::set<std::string> existing;                  // files that exist
  std::set<std::string> unstartable;               // files whose run cannot be started
  std::set<std::string> unusableFolders;           // folders that cannot be entered
  double secondsPerRun = 10;
  bool lastStartedEndsFirst = false;
  int stopAfterStarts = -1;                        // stop request after this many starts

  std::vector<std::string> parameters;             // every run parameter, in start order
  std::vector<std::string> lines;
  std::string passedOn;                            // the converter's other lines
  std::size_t mostRunning = 0;

  platform::Status checkFolder(const std::string& folder) override {
    if (unusableFolders.count(folder) == 0) return {};
    return platform::Status::failure(platform::StatusCode::NotFound, "no such folder");
  }

  platform::Expected<int> startConverter(const RunParameterText& parameter,
                                         const std::string&) override {
    std::string text(parameter.begin(), parameter.end());
    std::string file = text.substr(30, 50);
    file.erase(file.find_last_not_of(' ') + 1);
    if (unstartable.count(file)) {
      return platform::Status::failure(platform::StatusCode::NotFound, "cannot start");
    }
    parameters.push_back(text);
    running_.push_back({nextId_, file});
    mostRunning = std::max(mostRunning, running_.size());
    return nextId_++;
  }

  platform::Expected<int> waitForConverter(ConverterEnd* end) override {
    if (running_.empty()) return platform::Status::failure(platform::StatusCode::NotFound, "none");
    Run run = lastStartedEndsFirst ? running_.back() : running_.front();
    if (lastStartedEndsFirst) {
      running_.pop_back();
    } else {
      running_.pop_front();
    }
    now_ += secondsPerRun;
    auto found = endByFile.find(run.file);
    *end = found == endByFile.end() ? ConverterEnd{true, true, 0, 0} : found->second;
    return run.id;
  }

  double secondsNow() override { return now_; }
  bool fileExists(const std::string& folder, const std::string& name) override {
    return existing.count(folder.empty() ? name : folder + "/" + name) > 0;
  }
  bool stopRequested() override {
    return stopAfterStarts >= 0 && static_cast<int>(parameters.size()) >= stopAfterStarts;
  }
  void tell(const std::string& line) override { lines.push_back(line); }
  void passOn(const std::string& converterLines) override { passedOn += converterLines; }
  std::int64_t fileBytes(const std::string& /*folder*/, const std::string& name) override {
    auto found = sizes.find(name);
    return found == sizes.end() ? -1 : found->second;
  }
  void fileEnded(std::size_t index, const FileResult& result) override {
    ended.push_back(std::to_string(index) + " " + describeOutcome(result.outcome));
  }

  std::map<std::string, std::int64_t> sizes;       // transfer segments' sizes
  std::vector<std::string> ended;                  // "index outcome", as fileEnded heard them

 private:
  struct Run {
    int id;
    std::string file;
  };
  std::deque<Run> running_;
  int nextId_ = 100;
  double now_ = 1000;
};

RunPlan planOf(char direction, std::vector<std::string> names, unsigned jobs = 1) {
  RunPlan plan;
  plan.settings.direction = direction;
  plan.settings.program = "RECSEQ";
  plan.settings.fieldB = "0000000080";
  plan.jobs = jobs;
  for (const std::string& name : names) plan.files.push_back(DataFile{name, name});
  return plan;
}

std::string fileNumberTotalTimeSegments(const std::string& parameter) {
  return parameter.substr(92, 27);
}

TEST(ConversionRun, NumbersEstimatesAndOutcomesOfAnOrdinaryRun) {
  ScriptedHost host;
  host.endByFile["b"] = ConverterEnd{true, true, 3, 0};
  RunReport report = runConversion(planOf('B', {"a", "b", "c"}), host);

  ASSERT_EQ(host.parameters.size(), 3u);
  // File 1: no estimate yet. File 2: 10 s per file x 2 files left. File 3: 10 s x 1.
  EXPECT_EQ(fileNumberTotalTimeSegments(host.parameters[0]), "00000003" "00000001" "000000000" "00");
  EXPECT_EQ(fileNumberTotalTimeSegments(host.parameters[1]), "00000003" "00000002" "000000020" "00");
  EXPECT_EQ(fileNumberTotalTimeSegments(host.parameters[2]), "00000003" "00000003" "000000010" "00");
  EXPECT_EQ(host.parameters[1].substr(0, 30),
            "B" + std::string(8, ' ') + "RECSEQ  " + std::string(3, ' ') + "0000000080");
  EXPECT_EQ(host.parameters[1].substr(120), "N");

  ASSERT_EQ(report.results.size(), 3u);
  EXPECT_EQ(report.results[1].outcome, Outcome::Converted);
  EXPECT_EQ(report.results[1].segments, 3);
  EXPECT_EQ(report.results[0].segments, 0);
  EXPECT_DOUBLE_EQ(report.results[2].seconds, 10);
  EXPECT_EQ(report.stopReason, "");
  EXPECT_EQ(exitCodeOf(report.results), 0);
  ASSERT_EQ(host.lines.size(), 3u);
  EXPECT_EQ(host.lines[1], "[2/3] b: converted, 3 extra segments written (10.0 s)");
}

TEST(ConversionRun, LongRunsGiveDaysHoursMinutes) {
  ScriptedHost host;
  host.secondsPerRun = 3 * 3600 + 61;  // 3 h 1 min 1 s per file
  runConversion(planOf('B', {"a", "b", "c", "d", "e", "f", "g", "h", "i"}), host);
  ASSERT_EQ(host.parameters.size(), 9u);
  // File 2: 8 files left x 10861 s = 86888 s = 1 day 0 h 8 min 8 s.
  EXPECT_EQ(host.parameters[1].substr(108, 9), "001000808");
}

TEST(ConversionRun, DirectionXCountsSegmentsPresent) {
  ScriptedHost host;
  host.existing = {"a.bi1", "a.bi2", "a.bi3", "b.bi2", "c.bin"};
  RunReport report = runConversion(planOf('X', {"a", "b", "c"}), host);
  ASSERT_EQ(host.parameters.size(), 3u);
  EXPECT_EQ(host.parameters[0].substr(117, 2), "03");
  EXPECT_EQ(host.parameters[1].substr(117, 2), "00");  // .bi1 is missing
  EXPECT_EQ(host.parameters[2].substr(117, 2), "00");
  EXPECT_EQ(report.results[0].segments, 3);
  EXPECT_EQ(host.lines[0], "[1/3] a: converted, 3 extra segments read (10.0 s)");
}

TEST(ConversionRun, SkippedFileGoesOn) {
  ScriptedHost host;
  host.endByFile["a"] = ConverterEnd{true, true, 32, 0};
  RunReport report = runConversion(planOf('B', {"a", "b"}), host);
  EXPECT_EQ(host.parameters.size(), 2u);
  EXPECT_EQ(report.results[0].outcome, Outcome::Skipped);
  EXPECT_EQ(report.results[1].outcome, Outcome::Converted);
  EXPECT_EQ(exitCodeOf(report.results), 1);
}

TEST(ConversionRun, AbortStartsNoFurtherFile) {
  ScriptedHost host;
  host.endByFile["b"] = ConverterEnd{true, true, 16, 0};
  RunReport report = runConversion(planOf('B', {"a", "b", "c", "d"}), host);
  EXPECT_EQ(host.parameters.size(), 2u);
  EXPECT_EQ(report.results[1].outcome, Outcome::Stopped);
  EXPECT_EQ(report.results[2].outcome, Outcome::NotStarted);
  EXPECT_EQ(report.results[3].outcome, Outcome::NotStarted);
  EXPECT_EQ(report.stopReason, "the conversion of b asked to stop the run");
  EXPECT_EQ(exitCodeOf(report.results), 2);
}

TEST(ConversionRun, CrashOrUnknownCodeFailsAndStops) {
  for (ConverterEnd end : {ConverterEnd{true, false, 0, 11}, ConverterEnd{true, true, 12, 0}}) {
    ScriptedHost host;
    host.endByFile["a"] = end;
    RunReport report = runConversion(planOf('B', {"a", "b"}), host);
    EXPECT_EQ(host.parameters.size(), 1u);
    EXPECT_EQ(report.results[0].outcome, Outcome::Failed);
    EXPECT_NE(report.results[0].reason, "");
    EXPECT_EQ(report.results[1].outcome, Outcome::NotStarted);
    EXPECT_EQ(exitCodeOf(report.results), 2);
  }
}

TEST(ConversionRun, ConverterThatCannotStartStopsTheRun) {
  ScriptedHost host;
  host.unstartable = {"b"};
  RunReport report = runConversion(planOf('B', {"a", "b", "c"}), host);
  EXPECT_EQ(report.results[0].outcome, Outcome::Converted);
  EXPECT_EQ(report.results[1].outcome, Outcome::Failed);
  EXPECT_EQ(report.results[1].reason, "the converter could not be started: cannot start");
  EXPECT_EQ(report.results[2].outcome, Outcome::NotStarted);
}

TEST(ConversionRun, FolderThatCannotBeEnteredGivesThatFileUpAndGoesOn) {
  ScriptedHost host;
  host.unusableFolders = {"gone"};
  RunPlan plan = planOf('B', {"a", "b"});
  plan.files[0].folder = "gone";
  RunReport report = runConversion(plan, host);
  EXPECT_EQ(report.results[0].outcome, Outcome::Skipped);
  EXPECT_EQ(report.results[0].reason, "its folder gone cannot be entered: no such folder");
  EXPECT_EQ(report.results[1].outcome, Outcome::Converted);
  EXPECT_EQ(host.parameters.size(), 1u);
}

TEST(ConversionRun, SideBySideRunsAndTheirEstimate) {
  ScriptedHost host;
  RunReport report = runConversion(planOf('B', {"a", "b", "c", "d", "e"}, 2), host);
  EXPECT_EQ(host.mostRunning, 2u);
  ASSERT_EQ(host.parameters.size(), 5u);
  EXPECT_EQ(host.parameters[0].substr(100, 8), "00000001");
  EXPECT_EQ(host.parameters[1].substr(100, 8), "00000002");
  EXPECT_EQ(host.parameters[1].substr(108, 9), "000000000");  // nothing finished yet
  // File 3 starts when "a" ended at 10 s: 10 s x 3 files left / 2 jobs = 15 s.
  EXPECT_EQ(host.parameters[2].substr(108, 9), "000000015");
  EXPECT_EQ(exitCodeOf(report.results), 0);
}

TEST(ConversionRun, AbortWithSideBySideRunsLetsRunningOnesFinish) {
  ScriptedHost host;
  host.lastStartedEndsFirst = true;  // "b" ends before "a"
  host.endByFile["b"] = ConverterEnd{true, true, 16, 0};
  RunReport report = runConversion(planOf('B', {"a", "b", "c", "d"}, 2), host);
  EXPECT_EQ(host.parameters.size(), 2u);
  EXPECT_EQ(report.results[0].outcome, Outcome::Converted);  // let finish
  EXPECT_EQ(report.results[1].outcome, Outcome::Stopped);
  EXPECT_EQ(report.results[2].outcome, Outcome::NotStarted);
  EXPECT_EQ(report.results[3].outcome, Outcome::NotStarted);
}

TEST(ConversionRun, OperatorStopRequest) {
  ScriptedHost host;
  host.stopAfterStarts = 1;
  RunReport report = runConversion(planOf('B', {"a", "b"}), host);
  EXPECT_EQ(host.parameters.size(), 1u);
  EXPECT_EQ(report.results[0].outcome, Outcome::Converted);
  EXPECT_EQ(report.results[1].outcome, Outcome::NotStarted);
  EXPECT_EQ(report.stopReason, "the operator asked to stop");
  EXPECT_EQ(exitCodeOf(report.results), 2);
}

TEST(ConversionRun, SettingsReachEveryParameter) {
  ScriptedHost host;
  RunPlan plan = planOf('X', {"a", "b"});
  plan.settings.keyOption = true;
  plan.settings.ask = true;
  plan.settings.fieldF = "Z";
  runConversion(plan, host);
  for (const std::string& parameter : host.parameters) {
    EXPECT_EQ(parameter[91], 'O');
    EXPECT_EQ(parameter.substr(119), "ZS");
  }
}

TEST(ConversionRun, CountsSpeedUnchangedFilesAndEveryEndHeard) {
  ScriptedHost host;
  host.endByFile["a"] = ConverterEnd{true, true, 1, 0, "DUNAXMF counts: read 1500000 written "
                                                       "1500000 segments 1\n"};
  host.sizes = {{"a.bin", 1024000000}, {"a.bi1", 512000000}};
  host.endByFile["c"] = ConverterEnd{true, true, 16, 0, "DUNAXMF: c: stopped\n"};
  RunPlan plan = planOf('B', {"a", "b", "c", "d"});
  FileResult earlier;
  earlier.counts = {10, 10, 0};
  plan.files[1].unchanged = earlier;
  RunReport report = runConversion(plan, host);

  ASSERT_EQ(host.parameters.size(), 2u) << "b is unchanged, d never starts";
  EXPECT_EQ(host.lines[0], "[1/4] a: converted, 1 extra segment written "
                           "(10.0 s, 1,500,000 records, 154 MB/s)");
  EXPECT_EQ(host.lines[1], "[2/4] b: unchanged (10 records)");
  EXPECT_EQ(report.results[0].bytes, 1536000000);
  EXPECT_EQ(report.results[0].counts.written, 1500000);
  EXPECT_EQ(report.results[1].outcome, Outcome::Unchanged);
  EXPECT_EQ(host.passedOn, "") << "the counts line is the manager's, not the operator's";
  EXPECT_EQ(host.ended, (std::vector<std::string>{"0 converted", "1 unchanged",
                                                  "2 stopped the run", "3 not started"}));
  EXPECT_EQ(exitCodeOf(report.results), 2);
}

}  // namespace
}  // namespace dunax::manager
