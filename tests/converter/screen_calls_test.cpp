// What the converter passes to the screen library, byte for byte, in order: the window set-up,
// the progress panel, the light refresh of the two counters, the close request and the
// window end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "layouts/byte_fields.h"
#include "layouts/panel_records.h"
#include "tests/converter/converter_test_support.h"

namespace dunax::testing {
namespace {

using namespace layouts;

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

// The record a call passed, read as its layout.
template <class Record>
Record recordOf(const ScreenCall& call) {
  Record record{};
  std::memcpy(&record, call.record.data(), std::min(call.record.size(), sizeof record));
  return record;
}

// The bytes of a record after the library's own area: what the converter sets.
template <class Record>
std::string pastLibraryArea(const Record& record) {
  return {reinterpret_cast<const char*>(&record) + sizeof record.libraryArea,
          sizeof record - sizeof record.libraryArea};
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

  EXPECT_EQ(textOf(recordOf<PanelDefinitionRecord>(calls[0]).panelName), "PDUNAXD ");

  WindowRecord window{};
  putPadded(window.panelName, "PDUNAXD");
  EXPECT_EQ(pastLibraryArea(recordOf<WindowRecord>(calls[1])), pastLibraryArea(window));
  putPadded(window.windowName, "PDUNAXD");
  EXPECT_EQ(pastLibraryArea(recordOf<WindowRecord>(calls[2])), pastLibraryArea(window));
  std::string title = "Em Convers\xE3o de RmCobol para MfCobol ...";
  title.resize(100, ' ');
  EXPECT_EQ(textOf(recordOf<WindowRecord>(calls[3]).title), title);

  PanelDataRecord panel{};
  putPadded(panel.panelName, "PDUNAXD");
  panel.displayMode[0] = 'k';
  putPadded(panel.nome, "Em Pesquisa ...");
  putPadded(panel.dspFase, "2 de 2");
  EXPECT_EQ(pastLibraryArea(recordOf<PanelDataRecord>(calls[4])), pastLibraryArea(panel));

  putPadded(panel.fichConv, "000000005");
  putPadded(panel.totalFich, "000000010");
  putPadded(panel.dspTempo, " 1 Minuto  30 Segundos");
  std::memcpy(panel.barra + 12, "050%", 4);  // cells 13 to 16
  putPadded(panel.nome, "dados.dat");
  std::memset(panel.barColours, 20, 15);
  EXPECT_EQ(pastLibraryArea(recordOf<PanelDataRecord>(calls[5])), pastLibraryArea(panel));

  putPadded(panel.lidos, "000000000");
  putPadded(panel.escritos, "000000000");
  EXPECT_EQ(pastLibraryArea(recordOf<PanelDataRecord>(calls[6])), pastLibraryArea(panel));

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
  EXPECT_EQ(textOf(recordOf<WindowRecord>(calls[3]).title).substr(0, title.size()), title);
  const PanelDataRecord panel = recordOf<PanelDataRecord>(calls[5]);
  EXPECT_EQ(textOf(panel.dspFase), "1 de 2    ");
  EXPECT_EQ(textOf(panel.fichConv), "000000001");  // file "0" is shown as 1
  EXPECT_EQ(textOf(panel.barra).substr(12, 4), std::string_view("\0\0\0%", 4));
  EXPECT_EQ(std::count(std::begin(panel.barColours), std::end(panel.barColours), 0), 30);
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
      const PanelDataRecord panel = recordOf<PanelDataRecord>(calls[at]);
      EXPECT_EQ(textOf(panel.lidos), digits);
      EXPECT_EQ(textOf(panel.escritos), digits);
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
