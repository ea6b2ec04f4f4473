// The transfer-file segment names and count, and the remaining-time estimate.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "manager/estimate.h"
#include "manager/segments.h"

namespace dunax::manager {
namespace {

TEST(SegmentName, OrdinaryName) {
  EXPECT_EQ(transferSegmentName("clientes.dat", 0), "clientes.dat.bin");
  EXPECT_EQ(transferSegmentName("clientes.dat", 1), "clientes.dat.bi1");
  EXPECT_EQ(transferSegmentName("clientes.dat", 9), "clientes.dat.bi9");
  EXPECT_EQ(transferSegmentName("clientes.dat", 10), "");
  EXPECT_EQ(transferSegmentName("clientes.dat", -1), "");
}

TEST(SegmentName, TheFirstBiInTheNameTakesTheDigit) {
  EXPECT_EQ(transferSegmentName("dados.binario", 0), "dados.binario.bin");
  EXPECT_EQ(transferSegmentName("dados.binario", 1), "dados.bi1ario.bin");
  EXPECT_EQ(transferSegmentName("dir/x.bix", 3), "dir/x.bi3.bin");
}

TEST(SegmentName, TheBiMustStartWithinPosition46) {
  std::string name42(42, 'a');  // ".bin" starts at position 43
  EXPECT_EQ(transferSegmentName(name42, 2), name42 + ".bi2");
  std::string name45(45, 'a');  // ".bin" starts at position 46
  EXPECT_EQ(transferSegmentName(name45, 2), name45 + ".bi2");
  std::string name46(46, 'a');  // ".bin" starts at position 47: no room for segments
  EXPECT_EQ(transferSegmentName(name46, 0), name46 + ".bin");
  EXPECT_EQ(transferSegmentName(name46, 1), "");
}

TEST(SegmentName, TheNameEndsAtItsFirstSpaceAndAfter50Bytes) {
  EXPECT_EQ(transferSegmentName("a b", 0), "a.bin");
  EXPECT_EQ(transferSegmentName(std::string(55, 'z'), 0), std::string(50, 'z') + ".bin");
}

TEST(SegmentCount, HighestUnbrokenRunOfSegments) {
  std::set<std::string> present = {"f.dat.bin", "f.dat.bi1", "f.dat.bi2", "f.dat.bi4"};
  std::vector<std::string> asked;
  auto exists = [&](const std::string& name) {
    asked.push_back(name);
    return present.count(name) > 0;
  };
  EXPECT_EQ(countExtraSegments("f.dat", exists), 2);
  EXPECT_EQ(asked, (std::vector<std::string>{"f.dat.bi1", "f.dat.bi2", "f.dat.bi3"}));
}

TEST(SegmentCount, NoneAndAll) {
  std::set<std::string> present;
  auto exists = [&](const std::string& name) { return present.count(name) > 0; };
  EXPECT_EQ(countExtraSegments("g", exists), 0);
  for (int k = 1; k <= 9; ++k) present.insert("g.bi" + std::to_string(k));
  EXPECT_EQ(countExtraSegments("g", exists), 9);
  std::string longName(46, 'g');
  for (int k = 1; k <= 9; ++k) present.insert(longName + ".bi" + std::to_string(k));
  EXPECT_EQ(countExtraSegments(longName, exists), 0);
}

TEST(SegmentCount, NamesOfTheirOwnAndGaps) {
  struct Case {
    const char* dataFile;
    std::set<std::string> present;
    int namedAsFirst;
    int gap;
  };
  const Case cases[] = {
      {"f.dat", {"f.dat.bin", "f.dat.bi1", "f.dat.bi2"}, 0, 0},
      {"f.dat", {"f.dat.bin", "f.dat.bi2"}, 0, 1},
      {"f.dat", {"f.dat.bin", "f.dat.bi1", "f.dat.bi3", "f.dat.bi9"}, 0, 2},
      {"f.dat", {"f.dat.bi9"}, 0, 1},
      {"q.bi1", {}, 1, 0},  // q.bi1.bin is segment 0 and segment 1
      {"q.bi9x", {}, 9, 0},
      {"q.bi0", {}, 0, 0},  // no segment takes the digit 0
      {"dados.binario", {}, 0, 0},
  };
  for (const Case& test : cases) {
    auto exists = [&](const std::string& name) { return test.present.count(name) > 0; };
    EXPECT_EQ(segmentNamedAsFirst(test.dataFile), test.namedAsFirst) << test.dataFile;
    EXPECT_EQ(firstSegmentGap(test.dataFile, exists), test.gap) << test.dataFile;
  }
}

TEST(Estimate, ZeroBeforeAnyFileFinished) {
  RemainingTime time = estimateRemaining(0, 0, 10, 1);
  EXPECT_EQ(time.days + time.hours + time.minutes + time.seconds, 0u);
}

TEST(Estimate, MeanTimesFilesLeftOverJobs) {
  // 3 files took 90 s: 30 s each; 10 files left -> 300 s.
  RemainingTime time = estimateRemaining(90, 3, 10, 1);
  EXPECT_EQ(time.days, 0u);
  EXPECT_EQ(time.hours, 0u);
  EXPECT_EQ(time.minutes, 5u);
  EXPECT_EQ(time.seconds, 0u);
  time = estimateRemaining(90, 3, 10, 4);  // 75 s
  EXPECT_EQ(time.minutes, 1u);
  EXPECT_EQ(time.seconds, 15u);
  time = estimateRemaining(1.4, 1, 1, 1);  // rounded to the nearest second
  EXPECT_EQ(time.seconds, 1u);
  time = estimateRemaining(1.6, 1, 1, 1);
  EXPECT_EQ(time.seconds, 2u);
}

TEST(Estimate, SplitIntoDaysHoursMinutesSeconds) {
  RemainingTime time = splitSeconds(2 * 86400 + 5 * 3600 + 7);
  EXPECT_EQ(time.days, 2u);
  EXPECT_EQ(time.hours, 5u);
  EXPECT_EQ(time.minutes, 0u);
  EXPECT_EQ(time.seconds, 7u);
}

TEST(Estimate, CappedAt999Days) {
  RemainingTime time = estimateRemaining(1e9, 1, 1000, 1);
  EXPECT_EQ(time.days, 999u);
  EXPECT_EQ(time.hours, 23u);
  EXPECT_EQ(time.minutes, 59u);
  EXPECT_EQ(time.seconds, 59u);
}

}  // namespace
}  // namespace dunax::manager
