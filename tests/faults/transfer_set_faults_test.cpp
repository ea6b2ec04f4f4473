// The transfer set under stops and hostile sets: a publish ended at each of its steps on the
// disk (as a power loss or a kill would end it) leaves a set that a later "X", told the count
// the manager counts, reads whole, old or new, or refuses; journals that are damaged, planted
// temporaries, gaps, names that collide with their own segments and names that cannot be
// replaced are refused at the open with one line saying why; segments take the data file's
// permission; a lock file a killed run left locks no other user out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
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
  for (long i = first; i < first + (extra + 1) * kRecordsPerTestSegment; ++i) {
    all += servedRecord(i);
  }
  return all;
}

class TransferSetTest : public ConverterRunTest {
 protected:
  // Writes segment files 0..extra of an earlier set (records from first on).
  void writeSet(int extra, long first, const std::string& suffix = "") {
    for (int k = 0; k <= extra; ++k) {
      const long start = first + k * kRecordsPerTestSegment;
      ASSERT_TRUE(writeFile(path(segment(k, suffix)),
                            servedRecord(start) + servedRecord(start + 1)));
    }
  }
  void emptyDirectory() {
    for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
      std::filesystem::remove_all(entry.path());
    }
  }
  bool present(const std::string& name) const {
    struct stat info;
    return lstat(path(name).c_str(), &info) == 0;
  }
  // The count the manager gives a direction "X" run of dados.dat, and whether it sees a gap.
  int managerCount(bool& gap) const {
    auto exists = [this](const std::string& name) { return present(name); };
    gap = manager::firstSegmentGap("dados.dat", exists) != 0;
    return manager::countExtraSegments("dados.dat", exists);
  }
  RunResult importSet(int extra, std::vector<std::string> environment = {}) {
    RunParameterFields fields;
    fields.direction = 'X';
    fields.segments = "0" + std::to_string(extra);
    std::filesystem::remove(path("out"));
    environment.push_back("RECTEST_OUTPUT=" + path("out"));
    return convert(buildRunParameter(fields), environment);
  }
  RunResult exportSet(const std::string& dataFile, std::vector<std::string> environment) {
    RunParameterFields fields;
    fields.dataFile = dataFile;
    fields.ask = 'S';
    environment.push_back("DUNAX_VRDMSG_ANSWERS=y");
    return convert(buildRunParameter(fields), environment);
  }
  // The transfer-file question was asked once, at the open: nothing but the open and the close
  // went to the record-access program.
  void expectRefusedAtTheOpen(const RunResult& result, const std::string& status,
                              const std::string& firstLine, const std::vector<std::string>& codes,
                              const std::string& reason) {
    EXPECT_EQ(result.exitCode, 32) << result.output;
    std::vector<BoxCall> calls = boxCalls();
    ASSERT_EQ(calls.size(), 1u) << result.output;
    EXPECT_EQ(calls[0].line(1).substr(0, firstLine.size()), firstLine);
    EXPECT_EQ(calls[0].line(3).substr(0, 7), "ERRO " + status);
    EXPECT_EQ(requestCodes(), codes);
    EXPECT_NE(result.output.find(reason), std::string::npos) << result.output;
    EXPECT_FALSE(present("out"));
  }
};

// In a child: writes a new set of extra + 1 segments (records from 500 on) as a "B" does and
// publishes it, stopped before its step stopAt. Returns the child's exit code: kStoppedHere, or
// 0 when the publish ran to its end first.
int publishStoppedAt(const std::string& folder, int extra, int stopAt) {
  pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(10);
    converter::RunParameter parameter =
        converter::runParameterFromText(std::string(30, ' ') + "dados.dat");
    converter::TransferFile file;
    file.buildName(parameter);
    file.startOutputSegments();
    if (!file.openSetForOutput().ok()) _exit(11);
    long record = 500;
    for (int k = 0; k <= extra; ++k) {
      if (k > 0 && !file.switchToNextOutputSegment().ok()) _exit(12);
      for (int i = 0; i < kRecordsPerTestSegment; ++i) {
        const std::string bytes = servedRecord(record++);
        if (!file.writeRecord(reinterpret_cast<const unsigned char*>(bytes.data())).ok()) {
          _exit(13);
        }
      }
    }
    if (!file.close().ok()) _exit(14);
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
  struct Case {
    int oldExtra;
    int newExtra;
  };
  // Sets of 2 and of 3 segments, replacing a bigger, a smaller and an equal set.
  const Case cases[] = {{2, 1}, {0, 2}, {1, 1}};
  for (const Case& c : cases) {
    const std::string oldSet = setRecords(c.oldExtra, 1);
    const std::string newSet = setRecords(c.newExtra, 500);
    int seenOld = 0;
    int seenNew = 0;
    int refused = 0;
    for (int stopAt = 1;; ++stopAt) {
      const std::string at = std::to_string(c.oldExtra) + " -> " + std::to_string(c.newExtra) +
                             ", stopped before step " + std::to_string(stopAt);
      emptyDirectory();
      writeSet(c.oldExtra, 1);
      const int ended = publishStoppedAt(directory.path(), c.newExtra, stopAt);
      ASSERT_TRUE(ended == kStoppedHere || ended == 0) << at << ": child ended " << ended;
      bool gap = false;
      int count = managerCount(gap);
      EXPECT_FALSE(gap) << at;
      RunResult result = importSet(count, {"RECTEST_LOG="});
      if (result.exitCode == 32) {
        ++refused;
        EXPECT_NE(result.output.find("count the segments again"), std::string::npos)
            << at << ": " << result.output;
        EXPECT_FALSE(present("out")) << at;
        count = managerCount(gap);
        result = importSet(count, {"RECTEST_LOG="});
      }
      ASSERT_EQ(result.exitCode, 0) << at << ": " << result.output;
      const std::string read = readFile(path("out"));
      EXPECT_TRUE(read == oldSet || read == newSet) << at << ": " << read.size() / 1024
                                                    << " records read";
      (read == oldSet ? seenOld : seenNew) += 1;
      // The later run completed the publish: no journal and no temporary is left.
      EXPECT_FALSE(present(segment(0, converter::kJournalSuffix))) << at;
      for (int k = 0; k <= 9; ++k) {
        EXPECT_FALSE(present(segment(k, converter::kPartialSuffix))) << at << " segment " << k;
      }
      if (ended == 0) break;
    }
    EXPECT_GT(seenOld, 0);
    EXPECT_GT(seenNew, 1);
    EXPECT_EQ(refused > 0, c.oldExtra != c.newExtra);
  }
}

// A journal that is not what a run writes: one line of why, the question at the open, and
// every file as it was, the journal included.
TEST_F(TransferSetTest, ADamagedJournalIsRefusedAtTheOpenAndNothingIsTouched) {
  const std::string good = converter::encodeJournal(converter::journalForSet(1, 9));
  std::string flipped = good;
  flipped[10] = 'D';
  const std::vector<std::string> journals = {flipped, good.substr(0, 27), "segment 1: /etc/passwd\n"};
  for (char direction : {'X', 'B'}) {
    for (const std::string& journal : journals) {
      emptyDirectory();
      writeSet(1, 1);
      writeSet(1, 500, converter::kPartialSuffix);
      ASSERT_TRUE(writeFile(path(segment(0, converter::kJournalSuffix)), journal));
      RunResult result;
      if (direction == 'X') {
        RunParameterFields fields;
        fields.direction = 'X';
        fields.segments = "01";
        fields.ask = 'S';
        result = convert(buildRunParameter(fields),
                         {"DUNAX_VRDMSG_ANSWERS=y", "RECTEST_OUTPUT=" + path("out")});
      } else {
        result = exportSet("dados.dat", {"RECTEST_RECORDS=3"});
      }
      expectRefusedAtTheOpen(result, "39", "Ficheiro:\"dados.dat.bin\"",
                             direction == 'X' ? std::vector<std::string>{"CL "}
                                              : std::vector<std::string>{"TST", "CL "},
                             "dados.dat.bin.dunax-journal of an interrupted run is damaged");
      EXPECT_TRUE(readFile(path(segment(0))) + readFile(path(segment(1))) == setRecords(1, 1));
      EXPECT_TRUE(readFile(path(segment(0, converter::kPartialSuffix))) +
                      readFile(path(segment(1, converter::kPartialSuffix))) ==
                  setRecords(1, 500));
      EXPECT_EQ(readFile(path(segment(0, converter::kJournalSuffix))), journal);
    }
  }
}

// A killed run's journal is completed first; a temporary it does not name (planted by another
// run, or left by one killed before its journal) is removed, never published.
TEST_F(TransferSetTest, AKilledRunsJournalIsCompletedAndAPlantedTemporaryIsNotPublished) {
  writeSet(1, 1);                                      // the earlier set
  writeSet(1, 500, converter::kPartialSuffix);         // the killed run's new set ...
  std::filesystem::rename(path(segment(0, converter::kPartialSuffix)), path(segment(0)));
  ASSERT_TRUE(writeFile(path(segment(2, converter::kPartialSuffix)), servedRecord(900)));
  ASSERT_TRUE(writeFile(path(segment(0, converter::kJournalSuffix)),
                        converter::encodeJournal(converter::journalForSet(1, 9))));
  bool gap = false;
  RunResult result = importSet(managerCount(gap));  // ... stopped after its first rename
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_TRUE(readFile(path("out")) == setRecords(1, 500));
  EXPECT_FALSE(present(segment(2)));
  EXPECT_FALSE(present(segment(2, converter::kPartialSuffix)));
  EXPECT_FALSE(present(segment(0, converter::kJournalSuffix)));
}

TEST_F(TransferSetTest, AMissingSegmentIsTheErrorOfThatSegmentBeforeAnyRecordIsWritten) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), setRecords(0, 1)));
  ASSERT_TRUE(writeFile(path("dados.dat.bi2"), setRecords(0, 3)));
  RunParameterFields fields;
  fields.direction = 'X';
  fields.segments = "02";
  fields.ask = 'S';
  RunResult result = convert(buildRunParameter(fields),
                             {"DUNAX_VRDMSG_ANSWERS=y", "RECTEST_OUTPUT=" + path("out")});
  expectRefusedAtTheOpen(result, "35", "Ficheiro:\"dados.dat.bin\"", {"CL "},
                         "transfer file dados.dat.bi1: open for reading (segment 1 of the 2 "
                         "announced after the first is missing)");
}

// A name whose first ".bi" is followed by a segment digit k is segment 0 and segment k at once.
TEST_F(TransferSetTest, ANameThatIsAlsoOneOfItsSegmentsIsRefusedUpFront) {
  struct Case {
    char direction;
    const char* dataFile;
    const char* segments;
    bool refused;
  };
  const Case cases[] = {
      {'B', "q.bi1", "00", true},  // B cannot know how many segments it will write
      {'X', "q.bi3", "03", true},
      {'X', "q.bi3", "02", false},  // q.bi3.bin, q.bi1.bin, q.bi2.bin: three names
  };
  for (const Case& c : cases) {
    emptyDirectory();
    // Segment 0 last: where it shares its name with a segment, its own record is the file's.
    for (int k = 2; k >= 0; --k) {
      ASSERT_TRUE(writeFile(path(manager::transferSegmentName(c.dataFile, k)), servedRecord(k)));
    }
    RunParameterFields fields;
    fields.direction = c.direction;
    fields.dataFile = c.dataFile;
    fields.segments = c.segments;
    fields.ask = 'S';
    RunResult result = convert(buildRunParameter(fields),
                               {"DUNAX_VRDMSG_ANSWERS=y", "RECTEST_RECORDS=3",
                                "RECTEST_OUTPUT=" + path("out")});
    const std::string name = c.dataFile;
    if (!c.refused) {
      ASSERT_EQ(result.exitCode, 0) << name << ": " << result.output;
      EXPECT_TRUE(readFile(path("out")) == servedRecord(0) + servedRecord(1) + servedRecord(2));
      continue;
    }
    const std::string digit(1, name.back());
    expectRefusedAtTheOpen(result, "31", "Ficheiro:\"" + name + ".bin\"",
                           c.direction == 'X' ? std::vector<std::string>{"CL "}
                                              : std::vector<std::string>{"TST", "CL "},
                           "this name is also the name of segment " + digit);
    EXPECT_TRUE(readFile(path(name + ".bin")) == servedRecord(0)) << name;
  }
}

// In "B" every segment name is checked at the open, before any record is read.
TEST_F(TransferSetTest, ASegmentNameThatCannotBeReplacedIsAskedAtTheOpen) {
  struct Case {
    int segment;
    const char* kind;
    const char* words;
  };
  const Case cases[] = {
      {0, "directory", "a directory is there"},
      {1, "directory", "a directory is there"},
      {2, "link", "a symbolic link is not replaced"},
      {3, "fifo", "not a regular file"},
  };
  for (const Case& c : cases) {
    emptyDirectory();
    ASSERT_TRUE(writeFile(path("victim"), "victim"));
    const std::string name = path(segment(c.segment));
    const std::string kind = c.kind;
    if (kind == "directory") {
      ASSERT_EQ(mkdir(name.c_str(), 0755), 0);
    }
    if (kind == "link") {
      ASSERT_EQ(symlink("victim", name.c_str()), 0);
    }
    if (kind == "fifo") {
      ASSERT_EQ(mkfifo(name.c_str(), 0644), 0);
    }
    RunResult result = exportSet("dados.dat", {"RECTEST_RECORDS=3"});
    expectRefusedAtTheOpen(result, "37", "Ficheiro:\"dados.dat.bin\"", {"TST", "CL "},
                           "transfer file " + segment(c.segment) +
                               ": open for writing (this name cannot be replaced: " + c.words);
    EXPECT_EQ(readFile(path("victim")), "victim");
    EXPECT_FALSE(present(segment(0, converter::kPartialSuffix)));
  }
}

TEST_F(TransferSetTest, TheSetTakesNoMorePermissionThanTheDataFile) {
  const mode_t earlier = umask(022);
  for (mode_t mode : {0600, 0640}) {
    emptyDirectory();
    ASSERT_TRUE(writeFile(path("dados.dat"), "data"));
    ASSERT_EQ(chmod(path("dados.dat").c_str(), mode), 0);
    ASSERT_EQ(exportSet("dados.dat", {"RECTEST_RECORDS=3"}).exitCode, 0);
    struct stat info;
    ASSERT_EQ(stat(path("dados.dat.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, mode);
  }
  umask(earlier);
}

// A run that is killed leaves its lock file; that file is no lock, and any user may lock it.
TEST_F(TransferSetTest, ALockFileAKilledRunLeftLocksNoOtherUserOut) {
  const std::string lockPath = path("dados.dat.bin.dunax-lock");
  ASSERT_EQ(chmod(directory.path().c_str(), 01777), 0);  // a shared folder
  // Locks the lock file in a child of the given user (-1: this one); the child's exit code:
  // 0 locked, 2 busy, 1 another failure.
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
  ASSERT_EQ(lockAs(-1), 0);  // the killed run: the file stays
  struct stat info;
  ASSERT_EQ(stat(lockPath.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0444, 0444u);
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
