// The manager's reading of the converter's counts line, the report's lines both ways and the
// batch line.
#include <gtest/gtest.h>

#include <string>

#include "manager/batch_line.h"
#include "manager/converter_counts.h"
#include "manager/migration_report.h"
#include "manager/outcome.h"

namespace dunax::manager {
namespace {

TEST(CountsLine, OnlyTheWholeLineOfPlainNumbers) {
  const struct {
    const char* line;
    bool isCounts;
    ConverterCounts counts;
  } cases[] = {
      {"DUNAXMF counts: read 250000 written 250000 segments 0", true, {250000, 250000, 0}},
      {"DUNAXMF counts: read 0 written 0 segments 9", true, {0, 0, 9}},
      {"DUNAXMF counts: read 12 written 11 segments 3", true, {12, 11, 3}},
      {"DUNAXMF counts: read 12 written 11 segments 3 ", false, {}},
      {"DUNAXMF counts: read -1 written 0 segments 0", false, {}},
      {"DUNAXMF counts: read 1 written segments 0", false, {}},
      {"DUNAXMF counts: read 1234567890123456789 written 0 segments 0", false, {}},
      {"DUNAXMF: a.dat: counts: read 1 written 1 segments 0", false, {}},
      {"", false, {}},
  };
  for (const auto& test : cases) {
    ConverterCounts counts;
    EXPECT_EQ(readCountsLine(test.line, &counts), test.isCounts) << test.line;
    EXPECT_EQ(counts.read, test.counts.read) << test.line;
    EXPECT_EQ(counts.written, test.counts.written) << test.line;
    EXPECT_EQ(counts.segments, test.counts.segments) << test.line;
  }
}

TEST(CountsLine, TakenOutOfTheConverterWords) {
  const ConverterWords words = readConverterWords(
      "DUNAXMF: loader words\r\nDUNAXMF: a.dat: read: status 04\n"
      "DUNAXMF counts: read 7 written 6 segments 0\n",
      "a.dat");
  EXPECT_EQ(words.reason, "read: status 04");
  EXPECT_EQ(words.otherLines, "DUNAXMF: loader words\n");
  EXPECT_EQ(words.counts.read, 7);
  EXPECT_EQ(words.counts.written, 6);
  EXPECT_FALSE(readConverterWords("DUNAXMF: a.dat: x\n", "a.dat").counts.known());
}

TEST(ReportLine, ReadsBackWhatItWrites) {
  ReportEntry entry;
  entry.file = "/srv/dados/c\xC3\xA3o.dat";
  entry.direction = 'X';
  entry.program = "RECSEQ";
  entry.outcome = "converted";
  entry.exitCode = 0;
  entry.recordsRead = 2000001;
  entry.recordsWritten = 2000001;
  entry.segments = 2;
  entry.transferSha256 = std::string(64, 'a');
  entry.dataSha256 = std::string(64, 'b');
  entry.bytes = 2048002048;
  entry.started = "2026-12-09T19:30:00Z";
  entry.seconds = 12.3456;
  const std::string line = reportLine(entry);
  EXPECT_NE(line.find("\"reason\":null"), std::string::npos) << line;
  EXPECT_NE(line.find("\"seconds\":12.345"), std::string::npos) << line;
  platform::Expected<ReportEntry> back = readReportLine(line);
  ASSERT_TRUE(back) << back.status().message();
  EXPECT_EQ(back->file, entry.file);
  EXPECT_EQ(back->direction, 'X');
  EXPECT_EQ(back->recordsRead, entry.recordsRead);
  EXPECT_EQ(back->bytes, entry.bytes);
  EXPECT_EQ(back->transferSha256, entry.transferSha256);
  EXPECT_EQ(back->reason, "");

  // A reason with bytes that are not UTF-8 still makes a line of JSON.
  entry.reason = "status 30 \xFF";
  EXPECT_TRUE(readReportLine(reportLine(entry)));
}

TEST(BatchLine, FilesRecordsSpeedAndTimeLeft) {
  BatchProgress progress;
  progress.filesTotal = 40;
  progress.startSeconds = 100;
  EXPECT_EQ(batchLine(progress, 100), "batch: 0 of 40 files done, 0 records, time left not known yet");
  progress.filesDone = 12;
  progress.records = 3000000;
  progress.bytes = 2100000000;
  EXPECT_EQ(batchLine(progress, 110),
            "batch: 12 of 40 files done, 3,000,000 records, 210 MB/s, about 23 s left");
  EXPECT_EQ(batchLine(progress, 160),
            "batch: 12 of 40 files done, 3,000,000 records, 35 MB/s, about 2 min 20 s left");
  EXPECT_EQ(batchLine(progress, 100 + 3 * 3600),
            "batch: 12 of 40 files done, 3,000,000 records, 0 MB/s, about 7 h 0 min left");
}

}  // namespace
}  // namespace dunax::manager
