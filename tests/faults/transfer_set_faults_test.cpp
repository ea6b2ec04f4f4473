// The transfer set under stops and hostile sets: a publish ended at any step (power loss, kill)
// leaves a set a later "X" reads whole, old or new, or refuses until counted again; hostile sets
// are refused at the open; segments take the data file's permission; a stale lock locks no one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "converter/publish_journal.h"
#include "converter/run_parameter.h"
#include "converter/transfer_file.h"
#include "platform/durable_files.h"
#include "platform/file_lock.h"
#include "manager/segments.h"
#include "tests/converter/converter_test_support.h"

namespace dunax::testing {
namespace {

constexpr int kRecordsPerTestSegment = 2;
constexpr int kStoppedHere = 3;  // the exit code of a child stopped by the step hook

int stepsLeft = 0;
void stopAtStep(const char* /*step*/, const char* /*path*/) {
  if (--stepsLeft == 0) _exit(kStoppedHere);
}

// The name of segment k of dados.dat, with suffix.
std::string segment(int k, const std::string& suffix = "") {
  return manager::transferSegmentName("dados.dat", k) + suffix;
}

// The records of a set of extra + 1 segments numbered from first, as files or as one text.
std::string setRecords(int extra, long first) {
  std::string all;
  const long end = first + (extra + 1) * kRecordsPerTestSegment;
  for (long i = first; i < end; ++i) all += servedRecord(i);
  return all;
}

class TransferSetTest : public ConverterRunTest {
 protected:
  // Writes segment files 0..extra of an earlier set (records from first on).
  void writeSet(int extra, long first, const std::string& suffix = "") {
    for (int k = 0; k <= extra; ++k) {
      const long start = first + k * kRecordsPerTestSegment;
      ASSERT_TRUE(writeFile(path(segment(k, suffix)), setRecords(0, start)));
    }
  }
  void emptyDirectory() {
    std::filesystem::remove_all(directory.path());
    std::filesystem::create_directory(directory.path());
  }
  // Every entry of the folder but the logs and lock files: a file's bytes, or "(not a file)".
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> all;
    for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with(".log") || name.ends_with(converter::kLockSuffix)) continue;
      all[name] = entry.is_regular_file() ? readFile(entry.path().string()) : "(not a file)";
    }
    return all;
  }
  // The segment count the manager gives a direction "X" run of dados.dat; it sees no gap.
  std::string managerCount() const {
    auto exists = [this](const std::string& name) {  // a link to nothing too
      return std::filesystem::exists(std::filesystem::symlink_status(path(name)));
    };
    EXPECT_EQ(manager::firstSegmentGap("dados.dat", exists), 0);
    return "0" + std::to_string(manager::countExtraSegments("dados.dat", exists));
  }
  // A run of direction (3 records served, an import writes "out"); ask 'S': every answer is yes.
  RunResult run(char direction, const std::string& segments = "00", char ask = 'S',
                const std::string& dataFile = "dados.dat") {
    RunParameterFields fields{.direction = direction, .dataFile = dataFile, .segments = segments,
                              .ask = ask};
    std::filesystem::remove(path("out"));
    return convert(buildRunParameter(fields), {"DUNAX_VRDMSG_ANSWERS=y", "RECTEST_RECORDS=3",
                                               "RECTEST_OUTPUT=" + path("out")});
  }
  // An old set of 2 segments, a new one in temporaries, and a journal of these bytes.
  void plantJournal(const std::string& bytes) {
    writeSet(1, 1);
    writeSet(1, 500, converter::kPartialSuffix);
    ASSERT_TRUE(writeFile(path(segment(0, converter::kJournalSuffix)), bytes));
  }
  // Segments 0-2 of dataFile, record k in segment k; 0 last, so a name both have holds record 0.
  void writeEachSegment(const std::string& dataFile) {
    for (int k = 2; k >= 0; --k) {
      ASSERT_TRUE(writeFile(path(manager::transferSegmentName(dataFile, k)), servedRecord(k)));
    }
  }
};

// Writes a new set of dados.dat of extra + 1 segments (records 500 on) in the current folder as
// a "B" does, up to its publish: 0, or the step that failed (11 open, 12 write, 14 close).
int writeNewSet(converter::TransferFile& file, int extra) {
  file.buildName(converter::runParameterFromText(std::string(30, ' ') + "dados.dat"));
  file.startOutputSegments();
  if (!file.openSetForOutput().ok()) return 11;
  const std::string records = setRecords(extra, 500);
  for (int i = 0; i < (extra + 1) * kRecordsPerTestSegment; ++i) {
    const bool next = i > 0 && i % kRecordsPerTestSegment == 0;
    if ((next && !file.switchToNextOutputSegment().ok()) ||
        !file.writeRecord(reinterpret_cast<const unsigned char*>(&records[i * 1024])).ok()) {
      return 12;
    }
  }
  return file.close().ok() ? 0 : 14;
}

// In a child: writes a new set of extra + 1 segments and publishes it, stopped before step
// stopAt. Returns the child's exit: kStoppedHere, or 0 if it ended first.
int publishStoppedAt(const std::string& folder, int extra, int stopAt) {
  pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(10);
    converter::TransferFile file;
    if (int failed = writeNewSet(file, extra); failed != 0) _exit(failed);
    stepsLeft = stopAt;
    platform::setDurableStepHook(stopAtStep);
    std::string failedPath;
    _exit(file.publishOutputSegments(failedPath).ok() ? 0 : 15);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(TransferSetTest, APublishStoppedAtAnyStepLeavesTheOldOrTheNewSetWhole) {
  // Old bigger, smaller, equal; one segment over one (a single rename, no journal).
  const std::pair<int, int> cases[] = {{2, 1}, {0, 2}, {1, 1}, {0, 0}};
  for (const auto& [oldExtra, newExtra] : cases) {
    const std::string oldSet = setRecords(oldExtra, 1), newSet = setRecords(newExtra, 500);
    int seenOld = 0, seenNew = 0, refused = 0;
    for (int stopAt = 1;; ++stopAt) {
      SCOPED_TRACE(std::to_string(oldExtra) + " -> " + std::to_string(newExtra) +
                   ", stopped before step " + std::to_string(stopAt));
      emptyDirectory();
      writeSet(oldExtra, 1);
      const int ended = publishStoppedAt(directory.path(), newExtra, stopAt);
      ASSERT_TRUE(ended == kStoppedHere || ended == 0) << "child ended " << ended;
      // A temporary no journal names (planted by another run) is removed, never published.
      ASSERT_TRUE(writeFile(path(segment(newExtra + 1, converter::kPartialSuffix)), "planted"));
      RunResult result = run('X', managerCount(), 'N');
      if (result.exitCode == 32) {
        ++refused;
        EXPECT_NE(result.output.find("count the segments again"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(path("out")));
        result = run('X', managerCount(), 'N');
      }
      ASSERT_EQ(result.exitCode, 0) << result.output;
      const std::string read = readFile(path("out"));
      EXPECT_TRUE(read == oldSet || read == newSet) << read.size() / 1024 << " records read";
      (read == oldSet ? seenOld : seenNew) += 1;
      // The later run completed the publish: no journal, no temporary, nothing planted is left.
      for (const auto& [name, bytes] : files()) {
        EXPECT_FALSE(name.ends_with(converter::kPartialSuffix) ||
                     name.ends_with(converter::kJournalSuffix) || bytes == "planted")
            << name;
      }
      if (ended == 0) break;
    }
    EXPECT_GT(seenOld, 0);
    EXPECT_GT(seenNew, 1);
    EXPECT_EQ(refused > 0, oldExtra != newExtra);
  }
}

std::string stepsTaken;
void noteStep(const char* step, const char* /*path*/) { stepsTaken += std::string(step) + ' '; }

// One segment over a set of one is one rename and its flush, with no journal; a journal is
// written only after the temporaries' directory is flushed, so that the names it gives last.
TEST_F(TransferSetTest, AJournalIsWrittenOnlyWhenOneRenameCannotReplaceTheSet) {
  const std::tuple<int, int, std::string> cases[] = {
      {0, 0, "rename flush "}, {1, 0, "flush remove create rename flush "},
      {0, 1, "flush remove create rename flush "}};
  struct BackHome {  // the test's own folder again, however the case ends
    std::filesystem::path folder = std::filesystem::current_path();
    ~BackHome() { std::filesystem::current_path(folder); }
  } backHome;
  for (const auto& [oldExtra, newExtra, start] : cases) {
    SCOPED_TRACE(std::to_string(oldExtra) + " -> " + std::to_string(newExtra));
    emptyDirectory();
    writeSet(oldExtra, 1);
    std::filesystem::current_path(directory.path());
    converter::TransferFile file;
    ASSERT_EQ(writeNewSet(file, newExtra), 0);
    stepsTaken.clear();
    platform::setDurableStepHook(noteStep);
    std::string failedPath;
    const bool published = file.publishOutputSegments(failedPath).ok();
    platform::setDurableStepHook(nullptr);
    EXPECT_TRUE(published) << failedPath;
    EXPECT_TRUE(stepsTaken.starts_with(start)) << stepsTaken;
    EXPECT_EQ(stepsTaken == start, oldExtra == 0 && newExtra == 0) << stepsTaken;
    EXPECT_EQ(readFile(path(segment(0))), setRecords(0, 500));
    std::filesystem::current_path(backHome.folder);
  }
}

// Refused at the open with one line of why, every file left as it was: a journal no run wrote, a
// gap, a name "x.bik" that is segment 0 and k at once ("B" cannot know how many it will write), a
// segment name that cannot be replaced (all are checked at the open of "B", before any read).
TEST_F(TransferSetTest, AHostileSetIsRefusedAtTheOpenAndNothingIsTouched) {
  auto unreplaceable = [this](int k, char kind) {  // a directory, a link to "victim", a fifo
    return [name = path(segment(k)), kind] {
      ASSERT_EQ(kind == 'd'   ? mkdir(name.c_str(), 0755)
                : kind == 'l' ? symlink("victim", name.c_str())
                              : mkfifo(name.c_str(), 0644),
                0);
    };
  };
  const std::string good = converter::encodeJournal(converter::journalForSet(1, 9));
  const std::string flipped = good.substr(0, 10) + 'D' + good.substr(11);
  const std::string damaged = "dados.dat.bin.dunax-journal of an interrupted run is damaged";
  const std::string own = "this name is also the name of segment ";
  auto cannot = [](int k, const char* words) {
    return "transfer file " + segment(k) + ": open for writing (this name cannot be replaced: " +
           words;
  };
  struct Case {
    char direction;
    const char *segments, *status;
    std::function<void()> plant;
    std::string reason;
    const char* dataFile = "dados.dat";
  };
  std::vector<Case> cases = {
      {'X', "02", "35", [this] { writeSet(2, 1); std::filesystem::remove(path(segment(1))); },
       "transfer file dados.dat.bi1: open for reading (segment 1 of the 2 announced after the "
       "first is missing)"},
      {'B', "00", "31", [this] { writeEachSegment("q.bi1"); }, own + "1", "q.bi1"},
      {'X', "03", "31", [this] { writeEachSegment("q.bi3"); }, own + "3", "q.bi3"},
      {'B', "00", "37", unreplaceable(0, 'd'), cannot(0, "a directory is there")},
      {'B', "00", "37", unreplaceable(1, 'd'), cannot(1, "a directory is there")},
      {'B', "00", "37", unreplaceable(2, 'l'), cannot(2, "a symbolic link is not replaced")},
      {'B', "00", "37", unreplaceable(3, 'f'),
       cannot(3, "a FIFO, a device or a socket is not replaced")},
  };
  for (std::string bytes : {flipped, good.substr(0, 27), std::string("segment 1: /etc/passwd\n")}) {
    cases.push_back({'X', "01", "39", [=, this] { plantJournal(bytes); }, damaged});
    cases.push_back({'B', "00", "39", [=, this] { plantJournal(bytes); }, damaged});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.direction) + " " + c.dataFile + ": " + c.reason);
    emptyDirectory();
    ASSERT_TRUE(writeFile(path("victim"), "victim"));
    c.plant();
    const std::map<std::string, std::string> before = files();
    const RunResult result = run(c.direction, c.segments, 'S', c.dataFile);
    EXPECT_EQ(result.exitCode, 32) << result.output;
    EXPECT_NE(result.output.find(c.reason), std::string::npos) << result.output;
    // The question asked once, at the open: only the open (of "B") and the close were requested.
    std::vector<BoxCall> calls = boxCalls();
    ASSERT_EQ(calls.size(), 1u) << result.output;
    EXPECT_EQ(calls[0].line(1).rfind("Ficheiro:\"" + std::string(c.dataFile) + ".bin\"", 0), 0u);
    EXPECT_EQ(calls[0].line(3).substr(0, 7), "ERRO " + std::string(c.status));
    EXPECT_EQ(requestCodes(), (c.direction == 'X' ? std::vector<std::string>{"CL "}
                                                  : std::vector<std::string>{"TST", "CL "}));
    EXPECT_EQ(files(), before);
  }
}

TEST_F(TransferSetTest, ANameThatIsAlsoOneOfItsSegmentsIsReadWhenTheSetStopsBeforeIt) {
  writeEachSegment("q.bi3");  // q.bi3.bin, q.bi1.bin, q.bi2.bin: three names
  RunResult result = run('X', "02", 'S', "q.bi3");
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_TRUE(readFile(path("out")) == servedRecord(0) + servedRecord(1) + servedRecord(2));
}

TEST_F(TransferSetTest, TheSetTakesNoMorePermissionThanTheDataFile) {
  const mode_t earlier = umask(022);
  for (mode_t mode : {0600, 0640}) {
    emptyDirectory();
    ASSERT_TRUE(writeFile(path("dados.dat"), "data"));
    ASSERT_EQ(chmod(path("dados.dat").c_str(), mode), 0);
    ASSERT_EQ(run('B').exitCode, 0);
    EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(path("dados.dat.bin")).permissions()),
              mode);
  }
  umask(earlier);
}

// A run that is killed leaves its lock file; that file is no lock, and any user may lock it.
TEST_F(TransferSetTest, ALockFileAKilledRunLeftLocksNoOtherUserOut) {
  const std::string lockPath = path("dados.dat.bin.dunax-lock");
  ASSERT_EQ(chmod(directory.path().c_str(), 01777), 0);  // a shared folder
  // Locks it in a child of user uid (-1: this one); the child's exit: 0 locked, 2 busy, 1 else.
  auto lockAs = [&](int uid) {
    pid_t child = fork();
    if (child == 0) {
      if (uid >= 0 && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(9);
      platform::FileLock lock;
      platform::Status taken = lock.acquire(lockPath);
      _exit(taken.ok() ? 0 : taken.is(platform::StatusCode::Busy) ? 2 : 1);  // no release
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(lockAs(-1), 0);  // the killed run: the file stays, readable by everyone
  ASSERT_TRUE(std::filesystem::exists(lockPath));
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(lockPath).permissions()) & 0444, 0444u);
  if (geteuid() == 0) {
    EXPECT_EQ(lockAs(65534), 0);  // another user, in a folder where root's file stays
    platform::FileLock held;
    ASSERT_TRUE(held.acquire(lockPath).ok());
    EXPECT_EQ(lockAs(65534), 2);  // one holder at a time, whoever it is
  } else {
    ASSERT_EQ(chmod(lockPath.c_str(), 0444), 0);  // a file this user may only read
    EXPECT_EQ(lockAs(-1), 0);
  }
}

}  // namespace
}  // namespace dunax::testing
