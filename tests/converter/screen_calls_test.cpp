// What the converter passes to the screen library, byte for byte, in order: the window set-up,
// the progress panel, the light refresh of the two counters, the close request and the
// window end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/converter/converter_test_support.h"

namespace dunax::testing {
namespace {

struct ScreenCall {
  int function = 0;
  std::string record;  // bytes, for every function but 58
  int fieldId = 0;     // for 58
  std::string value;   // for 58: the field's value in the kept panel record
};

std::string fromHex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  return out;
}

std::vector<ScreenCall> parse(const std::vector<std::string>& lines) {
  std::vector<ScreenCall> calls;
  for (const std::string& line : lines) {
    ScreenCall call;
    std::size_t first = line.find(' ');
    call.function = std::atoi(line.substr(0, first).c_str());
    std::size_t second = line.find(' ', first + 1);
    if (call.function == 58) {
      call.fieldId = std::atoi(line.substr(first + 1, second - first - 1).c_str());
      if (second != std::string::npos) call.value = line.substr(second + 1);
    } else {
      call.record = fromHex(line.substr(second + 1));
    }
    calls.push_back(call);
  }
  return calls;
}

std::vector<int> functions(const std::vector<ScreenCall>& calls) {
  std::vector<int> codes;
  for (const ScreenCall& call : calls) codes.push_back(call.function);
  return codes;
}

class ScreenCallsTest : public ConverterRunTest {};

TEST_F(ScreenCallsTest, WindowSetUpAndEndAreByteExact) {
  RunParameterFields fields;
  fields.direction = 'X';
  fields.total = "00000010";
  fields.number = "00000005";
  fields.estimate = "000000130";
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), ""));
  ASSERT_EQ(convert(buildRunParameter(fields)).exitCode, 0);
  std::vector<ScreenCall> calls = parse(screenCalls());
  ASSERT_EQ(functions(calls), (std::vector<int>{128, 0, 34, 33, 19, 19, 19, 15, 12}));

  EXPECT_EQ(calls[0].record.size(), 3672u);
  EXPECT_EQ(calls[0].record.substr(2, 8), "PDUNAXD ");

  std::string window(188, '\0');
  window.replace(58, 8, "PDUNAXD ");
  EXPECT_EQ(calls[1].record.substr(12), window.substr(12));
  window.replace(50, 8, "PDUNAXD ");
  EXPECT_EQ(calls[2].record.substr(12), window.substr(12));
  std::string title = "Em Convers\xE3o de RmCobol para MfCobol ...";
  EXPECT_EQ(calls[3].record.substr(88), title + std::string(100 - title.size(), ' '));

  std::string panel(437, '\0');
  panel.replace(62, 8, "PDUNAXD ");
  panel[164] = 'k';
  panel.replace(283, 50, "Em Pesquisa ..." + std::string(35, ' '));
  panel.replace(333, 10, "2 de 2    ");
  EXPECT_EQ(calls[4].record.substr(22), panel.substr(22));

  panel.replace(195, 9, "000000005");
  panel.replace(204, 9, "000000010");
  std::string timeText = " 1 Minuto  30 Segundos";
  panel.replace(213, 40, timeText + std::string(40 - timeText.size(), ' '));
  panel.replace(253 + 12, 4, "050%");
  panel.replace(283, 50, "dados.dat" + std::string(41, ' '));
  for (int cell = 1; cell <= 15; ++cell) panel[364 + cell] = 20;
  EXPECT_EQ(calls[5].record.substr(22), panel.substr(22));

  panel.replace(343, 9, "000000000");
  panel.replace(352, 9, "000000000");
  EXPECT_EQ(calls[6].record.substr(22), panel.substr(22));

  EXPECT_EQ(calls[7].record, std::string("\0\0PDUNAXD ", 10));
  EXPECT_EQ(calls[8].record, std::string(2, '\0'));
}

TEST_F(ScreenCallsTest, PhaseTitleAndTheZeroTotalRule) {
  RunParameterFields fields;
  fields.total = "00000000";
  fields.number = "00000000";
  ASSERT_EQ(convert(buildRunParameter(fields)).exitCode, 0);
  std::vector<ScreenCall> calls = parse(screenCalls());
  ASSERT_GE(calls.size(), 6u);
  std::string title = "Em Convers\xE3o de MfCobol para RmCobol ...";
  EXPECT_EQ(calls[3].record.substr(88, title.size()), title);
  const std::string& panel = calls[5].record;
  EXPECT_EQ(panel.substr(333, 10), "1 de 2    ");
  EXPECT_EQ(panel.substr(195, 9), "000000001");  // file "0" is shown as 1
  EXPECT_EQ(panel.substr(253 + 12, 4), std::string("\0\0\0%", 4));
  EXPECT_EQ(panel.substr(365, 30), std::string(30, '\0'));
}

TEST_F(ScreenCallsTest, CountersRefreshedPerRecordAndTheWholePanelEvery100) {
  ASSERT_EQ(convert(buildRunParameter({}), {"RECTEST_RECORDS=250"}).exitCode, 0);
  std::vector<ScreenCall> calls = parse(screenCalls());
  // Set-up (128, 0, 34, 33, 19), the filled panel (19), attempt start (19), then per record.
  ASSERT_EQ(calls.size(), 7u + 250 * 2 - 2 * 2 + 2 + 2);
  std::size_t at = 7;
  for (int record = 1; record <= 250; ++record) {
    char digits[10];
    std::snprintf(digits, sizeof digits, "%09d", record);
    if (record % 100 == 0) {
      ASSERT_EQ(calls[at].function, 19) << record;
      EXPECT_EQ(calls[at].record.substr(343, 9), digits);
      EXPECT_EQ(calls[at].record.substr(352, 9), digits);
      at += 1;
    } else {
      ASSERT_EQ(calls[at].function, 58) << record;
      EXPECT_EQ(calls[at].fieldId, 20);
      EXPECT_EQ(calls[at].value, digits);
      EXPECT_EQ(calls[at + 1].function, 58);
      EXPECT_EQ(calls[at + 1].fieldId, 1);
      EXPECT_EQ(calls[at + 1].value, digits);
      at += 2;
    }
  }
  EXPECT_EQ(calls[at].function, 15);
  EXPECT_EQ(calls[at + 1].function, 12);
}

TEST_F(ScreenCallsTest, CloseRequestAnsweredYesInterruptsWith16AndEndsCleanly) {
  // The 4th full display is the one after record 100.
  RunResult result = convert(buildRunParameter({}), {"RECTEST_RECORDS=1000", "SP2TEST_KEYS=4:3",
                                                     "DUNAX_VRDMSG_ANSWERS=y"});
  EXPECT_EQ(result.exitCode, 16);
  // A stopped run leaves no transfer file of its own behind.
  EXPECT_FALSE(fileExists(path("dados.dat.bin")));
  EXPECT_FALSE(fileExists(path("dados.dat.bin.dunax-part")));
  std::vector<std::string> codes = requestCodes();
  EXPECT_EQ(codes.back(), "CL ");
  EXPECT_EQ(codes.size(), 2u + 101 + 1);
  std::vector<BoxCall> boxes = boxCalls();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].block[3], 'n');
  EXPECT_EQ(boxes[0].line(1), "  Detetado Fecho da Janela!!! " + std::string(30, ' '));
  EXPECT_EQ(boxes[0].line(2), "  Interrompe a Convers\xE3o? " + std::string(34, ' '));
  EXPECT_EQ(boxes[0].line(3), "  (Se responder \"Sim\" pode retomar" + std::string(26, ' '));
  EXPECT_EQ(boxes[0].line(4), "   a Convers\xE3o neste Ponto).      " + std::string(24, ' '));
  std::vector<int> codesOnScreen = functions(parse(screenCalls()));
  EXPECT_EQ(codesOnScreen[codesOnScreen.size() - 2], 15);
  EXPECT_EQ(codesOnScreen.back(), 12);
}

TEST_F(ScreenCallsTest, CloseRequestAnsweredNoGoesOn) {
  for (const char* key : {"-5", "363", "3"}) {
    RunResult result = convert(buildRunParameter({}),
                               {"RECTEST_RECORDS=300", std::string("SP2TEST_KEYS=5:") + key,
                                "DUNAX_VRDMSG_ANSWERS=n"});
    EXPECT_EQ(result.exitCode, 0) << key;
    EXPECT_EQ(fileSize(path("dados.dat.bin")), 300 * 1024) << key;
  }
  EXPECT_EQ(boxCalls().size(), 3u);
}

TEST_F(ScreenCallsTest, OtherKeysAreNoCloseRequest) {
  ASSERT_EQ(convert(buildRunParameter({}), {"RECTEST_RECORDS=300", "SP2TEST_KEYS=4:13"}).exitCode,
            0);
  EXPECT_TRUE(boxCalls().empty());
}

}  // namespace
}  // namespace dunax::testing
