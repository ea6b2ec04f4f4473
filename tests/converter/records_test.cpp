// The converter's fixed records byte for byte: the run parameter, the request block, the
// status classes, the message-box block, the time text and the place in the run.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "converter/access/request_block.h"
#include "converter/access/status_class.h"
#include "converter/access/status_words.h"
#include "converter/progress.h"
#include "converter/run_parameter.h"
#include "dialogs/message_box_block.h"

namespace dunax::converter {
namespace {

using platform::FileStatus;

std::string classOf(char a, char b) {
  FileStatus c = access::classifyDataStatus(FileStatus(a, b));
  return std::string(c.code, 2);
}

// "37" speaks of the operation it answered: an open for reading never of writing.
TEST(StatusWordsTest, ThirtySevenFitsTheOperation) {
  const struct {
    const char* operation;
    const char* words;
  } cases[] = {
      {"open for reading",
       "status 37 (cannot be opened for reading: no permission, or not a regular file (a "
       "directory, a FIFO, a device or a socket))"},
      {"open for writing",
       "status 37 (cannot be opened for writing: no permission, or not a regular file that may "
       "be replaced (a directory, a symbolic link, a FIFO, a device or a socket))"},
      {"close", "status 37 (no permission, or a file that cannot be opened that way)"},
      {"", "status 37 (no permission, or a file that cannot be opened that way)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(access::describeStatus(FileStatus('3', '7'), c.operation), c.words) << c.operation;
  }
  EXPECT_EQ(access::describeStatus(FileStatus('3', '0'), "open for reading"),
            "status 30 (a permanent input or output error)");
}

// The words a record-access program leaves after the mark, printable and without the padding;
// none without the mark. Record numbers with commas between thousands.
TEST(StatusWordsTest, FailureWordsAndRecordNumbers) {
  access::RequestBlock block{};
  std::memset(block.recordArea, ' ', sizeof block.recordArea);
  EXPECT_EQ(access::failureWordsIn(block.recordArea), "");
  const char words[] = "MOTIVO:50 bytes left\x01 ok";
  std::memcpy(block.recordArea + 1024, words, sizeof words - 1);
  EXPECT_EQ(access::failureWordsIn(block.recordArea), "50 bytes left  ok");
  std::memcpy(block.recordArea + 1024, "MOTIVX:50 bytes left", 20);
  EXPECT_EQ(access::failureWordsIn(block.recordArea), "");
  const struct {
    std::uint64_t number;
    const char* text;
  } numbers[] = {{1, "1"}, {999, "999"}, {1000, "1,000"}, {60001, "60,001"},
                 {1000000, "1,000,000"}, {12345678901, "12,345,678,901"}};
  for (const auto& n : numbers) EXPECT_EQ(access::recordNumberText(n.number), n.text);
}

// Over every two bytes: a status comes back as one of the classes or unchanged, and a status
// that the table classes has words of its own.
TEST(StatusClassTest, EveryStatusGetsAClassOrPassesThrough) {
  const std::set<std::string> classes = {"00", "02", "10", "21", "22", "23",
                                         "24", "35", "30", "91", "94"};
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const FileStatus status(static_cast<char>(a), static_cast<char>(b));
      const std::string statusClass = classOf(status.code[0], status.code[1]);
      if (statusClass == std::string(status.code, 2)) continue;
      EXPECT_EQ(classes.count(statusClass), 1u) << access::statusText(status);
      EXPECT_STRNE(access::statusMeaning(status), "an unknown status") << access::statusText(status);
    }
  }
}

// One status of each class, the two written as a byte after "9" among them, and statuses in
// no row of the table.
TEST(StatusClassTest, RepresentativeStatuses) {
  const struct {
    char status[2];
    const char* statusClass;
  } cases[] = {{{'0', '5'}, "00"}, {{'9', 18}, "00"},  {{'0', '2'}, "02"}, {{'4', '6'}, "10"},
               {{'9', '7'}, "21"}, {{'2', '2'}, "22"}, {{'4', '3'}, "23"}, {{'3', '4'}, "24"},
               {{'3', '0'}, "35"}, {{'9', 9}, "35"},   {{'3', '7'}, "30"}, {{'9', '1'}, "30"},
               {{'9', '8'}, "91"}, {{'9', 'D'}, "94"}, {{'0', '1'}, "01"}, {{'9', 'B'}, "9B"},
               {{' ', ' '}, "  "}, {{'9', 19}, "9\x13"}};
  for (const auto& c : cases) {
    EXPECT_EQ(classOf(c.status[0], c.status[1]), c.statusClass) << std::string(c.status, 2);
  }
}

RunParameter sampleParameter() {
  std::string text = "B";
  text += "xxxxxxxx";                                  // 2-9 not used
  text += "RECSEQ  ";                                  // 10-17
  text += "AAA";                                       // 18-20
  text += "BBBBBBBBBB";                                // 21-30
  text += std::string("dados.dat") + std::string(41, ' ');  // 31-80
  text += "CC";                                        // 81-82
  text += "D";                                         // 83
  text += "EEEEEEEE";                                  // 84-91
  text += "O";                                         // 92
  text += "00000010";                                  // 93-100
  text += "00000005";                                  // 101-108
  text += "002050007";                                 // 109-117
  text += "03";                                        // 118-119
  text += "F";                                         // 120
  text += "S";                                         // 121
  EXPECT_EQ(text.size(), 121u);
  return runParameterFromText(text);
}

TEST(RunParameterTest, ArgumentsJoinedBySingleSpacesAndCutAt121) {
  std::string longArgument(130, 'x');
  char program[] = "DUNAXMF";
  char first[] = "Bab";
  char second[] = "cd";
  std::vector<char> third(longArgument.begin(), longArgument.end());
  third.push_back('\0');
  char* argv[] = {program, first, second, third.data(), nullptr};
  RunParameter parameter = readRunParameter(4, argv);
  std::string text(reinterpret_cast<const char*>(&parameter), kRunParameterLength);
  EXPECT_EQ(text.substr(0, 7), "Bab cd ");
  EXPECT_EQ(text.substr(7), std::string(114, 'x'));
}

TEST(RunParameterTest, ShortAndEmptyCommandLinesArePaddedWithSpaces) {
  char program[] = "DUNAXMF";
  char* none[] = {program, nullptr};
  RunParameter empty = readRunParameter(1, none);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&empty), kRunParameterLength), std::string(121, ' '));
  char letter[] = "X";
  char* one[] = {program, letter, nullptr};
  RunParameter shortOne = readRunParameter(2, one);
  EXPECT_EQ(directionOf(shortOne), 'X');
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&shortOne) + 1, 120), std::string(120, ' '));
}

TEST(RequestBlockTest, FilledFromTheRunParameterByteForByte) {
  RunParameter parameter = sampleParameter();
  access::RequestBlock block;
  std::memset(&block, 0x55, sizeof block);
  access::fillRequestBlock(block, parameter);
  std::string expected(2280, '\0');
  expected[0] = '2';
  expected.replace(7, 3, "AAA");
  expected.replace(10, 10, "BBBBBBBBBB");
  expected.replace(20, 10, "0000000000");
  expected.replace(30, 8, "EEEEEEEE");
  expected.replace(38, 50, std::string("dados.dat") + std::string(41, ' '));
  expected.replace(104, 2, "CC");
  expected.replace(106, 1, "D");
  expected[113] = ' ';
  expected.replace(114, 3, "AAA");
  expected[165] = 'F';
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&block), 2280), expected);
  EXPECT_TRUE(usesAlternativeCodes(parameter));
  EXPECT_TRUE(asksOnFileError(parameter));
}

std::string boxBlock(dialogs::BoxKind kind, char flag, const dialogs::MessageArea& area) {
  dialogs::MessageBoxBlock block;
  dialogs::buildMessageBoxBlock(block, kind, flag, area);
  return std::string(reinterpret_cast<char*>(&block), sizeof block);
}

TEST(MessageBoxBlockTest, LinesSeparatorsAndButtons) {
  dialogs::MessageArea area;
  area.clear();
  area.setLine(1, "one");
  area.setLine(2, "two");
  std::string block = boxBlock(dialogs::BoxKind::Confirmation, 'N', area);
  ASSERT_EQ(block.size(), 246u);
  EXPECT_EQ(block.substr(0, 6), std::string("\x01\x00qny\x00", 6));
  EXPECT_EQ(block.substr(6, 60), "one" + std::string(57, ' '));
  EXPECT_EQ(block.substr(66, 60), "two" + std::string(57, ' '));
  EXPECT_EQ(block[126], ' ');
  EXPECT_EQ(block[187], ' ');

  area.setLine(4, std::string(58, 'a') + "bc");
  block = boxBlock(dialogs::BoxKind::Confirmation, ' ', area);
  EXPECT_EQ(block[3], 'y');  // no "N": yes is the default
  EXPECT_EQ(block[126], ' ');
  EXPECT_EQ(block[187], '\n');
  EXPECT_EQ(block.substr(188), std::string(58, 'a'));  // characters 59 and 60 are dropped

  area.setLine(3, "three");
  block = boxBlock(dialogs::BoxKind::ErrorReport, 'N', area);
  EXPECT_EQ(block[2], 's');
  EXPECT_EQ(block[3], 'r');
  EXPECT_EQ(block[126], '\n');
  EXPECT_EQ(block.substr(127, 60), "three" + std::string(55, ' '));
}

std::string timeText(const char* d, const char* h, const char* m, const char* s) {
  char out[kTimeTextLength];
  buildTimeText(d, h, m, s, out);
  std::string text(out, kTimeTextLength);
  EXPECT_EQ(text.size(), 40u);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST(TimeTextTest, EveryFormAndTheSingulars) {
  EXPECT_EQ(timeText("002", "05", "00", "07"), "  2 Dias  5 Horas  0 Minutos  7 Segundos");
  EXPECT_EQ(timeText("000", "01", "01", "01"), " 1 Hora   1 Minuto   1 Segundo");
  EXPECT_EQ(timeText("000", "00", "00", "45"), "45 Segundos");
  EXPECT_EQ(timeText("010", "10", "10", "10"), " 10 Dias 10 Horas 10 Minutos 10 Segundos");
  EXPECT_EQ(timeText("001", "00", "00", "00"), "  1 Dia   0 Horas  0 Minutos  0 Segundos");
  EXPECT_EQ(timeText("000", "00", "01", "30"), " 1 Minuto  30 Segundos");
  EXPECT_EQ(timeText("100", "00", "00", "00"), "100 Dias  0 Horas  0 Minutos  0 Segundos");
  EXPECT_EQ(timeText("000", "00", "00", "31"), "31 Segundos");
  EXPECT_EQ(timeText("000", "00", "00", "30"), "Menos de 30 Segundos");
  EXPECT_EQ(timeText("000", "00", "00", "00"), "Menos de 30 Segundos");
  EXPECT_EQ(timeText("000", "00", "00", "01"), "Menos de 30 Segundos");
}

TEST(TimeTextTest, NonDigitsAreTakenAsTheyStand) {
  EXPECT_EQ(timeText("abc", "xy", "zz", "qq"), "abc Dias xy Horas zz Minutos qq Segundos");
  EXPECT_EQ(timeText("   ", "  ", "  ", "  "), "Menos de 30 Segundos");
}

TEST(PlaceInRunTest, PercentageAndBarCells) {
  PlaceInRun place = computePlaceInRun("00000005", "00000010");
  EXPECT_TRUE(place.valid);
  EXPECT_EQ(place.percentage, 50u);
  EXPECT_EQ(place.cells, 15u);
  place = computePlaceInRun("00000001", "00000003");
  EXPECT_EQ(place.percentage, 33u);
  EXPECT_EQ(place.cells, 10u);
  place = computePlaceInRun("00000000", "00000004");
  EXPECT_EQ(place.percentage, 0u);
  EXPECT_EQ(place.cells, 0u);
  EXPECT_FALSE(computePlaceInRun("00000001", "00000000").valid);
  place = computePlaceInRun("99999999", "00000001");  // beyond the total: last three digits
  EXPECT_EQ(place.percentage, 9999999900ull % 1000);
}

TEST(NineDigitsTest, LastNineDigits) {
  char out[9];
  putNineDigits(out, 1234567890123ull);
  EXPECT_EQ(std::string(out, 9), "567890123");
  putNineDigits(out, 7);
  EXPECT_EQ(std::string(out, 9), "000000007");
}

TEST(NineDigitsTest, IncrementLeavesWhatTheNextCountWouldPut) {
  const std::uint64_t starts[] = {0, 8, 99, 1099, 999998, 999999990, 1999999995ull};
  for (std::uint64_t start : starts) {
    char counted[9];
    putNineDigits(counted, start);
    for (std::uint64_t value = start + 1; value <= start + 20; ++value) {
      incrementNineDigits(counted);
      char expected[9];
      putNineDigits(expected, value);
      ASSERT_EQ(std::string(counted, 9), std::string(expected, 9)) << value;
    }
  }
  char wrapped[9];
  putNineDigits(wrapped, 999999999);
  incrementNineDigits(wrapped);
  EXPECT_EQ(std::string(wrapped, 9), "000000000");
}

}  // namespace
}  // namespace dunax::converter
