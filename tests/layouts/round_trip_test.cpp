// One round trip per record that two sides share: what one side writes, the other side reads
// back as meant. The offsets themselves are held by the static_asserts in layouts/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "converter/access/request_block.h"
#include "converter/run_parameter.h"
#include "converter/screen/screen_library.h"
#include "dialogs/message_box_block.h"
#include "executor/records.h"
#include "manager/run_parameter.h"
#include "suite/records/sequential_access.h"
#include "suite/sp2/message_store.h"
#include "suite/sp2/screen_library.h"
#include "suite/vrdmsg/message_box.h"
#include "tests/support/test_support.h"

namespace dunax {
namespace {

using layouts::textOf;

// The manager writes the run parameter; the converter reads it.
TEST(LayoutRoundTrip, RunParameterFromManagerToConverter) {
  struct Case {
    char direction;
    bool keyOption;
    bool ask;
    int segments;
    const char* segmentsRead;
  } cases[] = {{'B', false, true, 4, "00"}, {'X', true, false, 7, "07"}};
  for (const Case& c : cases) {
    manager::RunSettings settings;
    settings.direction = c.direction;
    settings.program = "RECSEQ";
    settings.fieldA = "AAA";
    settings.fieldB = "80";
    settings.fieldC = "CC";
    settings.fieldD = "D";
    settings.fieldE = "EEEEEEEE";
    settings.fieldF = "F";
    settings.keyOption = c.keyOption;
    settings.ask = c.ask;
    manager::FilePlace place;
    place.fileName = "DADOS\\CLIENTES.DAT";
    place.number = 5;
    place.total = 12;
    place.remaining = {2, 5, 0, 7};
    place.segments = c.segments;
    const manager::RunParameterText built = manager::buildRunParameter(settings, place);

    const converter::RunParameter read =
        converter::runParameterFromText(std::string_view(built.data(), built.size()));
    SCOPED_TRACE(c.direction);
    EXPECT_EQ(converter::directionOf(read), c.direction);
    EXPECT_EQ(textOf(read.programName), "RECSEQ  ");
    EXPECT_EQ(textOf(read.passThroughA), "AAA");
    EXPECT_EQ(textOf(read.passThroughB), "80        ");
    EXPECT_EQ(converter::dataFileNameUpToSpace(read), "DADOS\\CLIENTES.DAT");
    EXPECT_EQ(textOf(read.passThroughC), "CC");
    EXPECT_EQ(textOf(read.passThroughD), "D");
    EXPECT_EQ(textOf(read.passThroughE), "EEEEEEEE");
    EXPECT_EQ(converter::usesAlternativeCodes(read), c.keyOption);
    EXPECT_EQ(textOf(read.totalFiles), "00000012");
    EXPECT_EQ(textOf(read.fileNumber), "00000005");
    EXPECT_EQ(textOf(read.remainingDays), "002");
    EXPECT_EQ(textOf(read.remainingHours), "05");
    EXPECT_EQ(textOf(read.remainingMinutes), "00");
    EXPECT_EQ(textOf(read.remainingSeconds), "07");
    EXPECT_EQ(textOf(read.extraSegments), c.segmentsRead);
    EXPECT_EQ(textOf(read.passThroughF), "F");
    EXPECT_EQ(converter::asksOnFileError(read), c.ask);
  }
}

// The converter fills the request block; RECSEQ carries out each request from it and answers
// in it; the converter reads the status and the record back.
TEST(LayoutRoundTrip, RequestBlockBetweenConverterAndRecordAccessProgram) {
  testing::TemporaryDirectory directory;
  const std::string record(80, 'r');
  ASSERT_TRUE(testing::writeFile(directory.file("dados.dat"), record));
  const converter::RunParameter parameter = converter::runParameterFromText(
      std::string(17, ' ') + "AAA" + "80" + std::string(8, ' ') + directory.file("dados.dat"));
  converter::access::RequestBlock block;
  converter::access::fillRequestBlock(block, parameter);
  records::SequentialAccess program;

  struct Step {
    const char* code;
    const char* status;
  } steps[] = {{"TST", "00"}, {"ST ", "00"}, {"RN ", "00"}, {"RN ", "10"}, {"CL ", "00"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.code);
    block.setRequestCode(step.code);
    std::memset(block.layouts::RequestBlock::fileStatus, '?', 2);
    program.handle(block);
    const platform::FileStatus answered = block.fileStatus();
    EXPECT_EQ(std::string(answered.code, 2), step.status);
    if (std::string(step.code) == "RN " && answered.ok()) {
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.recordArea), record.size()), record);
    }
  }
}

// The dialog service builds the message-box block; VRDMSG reads the box out of it.
TEST(LayoutRoundTrip, MessageBoxBlockFromDialogsToVrdmsg) {
  struct Case {
    dialogs::BoxKind kind;
    char defaultFlag;
    const char* lines[4];
    vrdmsg::BoxKind kindRead;
    char defaultRead;
    int lineCount;
    const char* lastLine;
  } cases[] = {
      {dialogs::BoxKind::Confirmation, 'N', {"one", "two", "", ""}, vrdmsg::BoxKind::Confirmation,
       'n', 2, "two"},
      {dialogs::BoxKind::Confirmation, ' ', {"one", "", "", "four"}, vrdmsg::BoxKind::Confirmation,
       'y', 3, "four"},
      {dialogs::BoxKind::ErrorReport, 'N', {"one", "two", "three", "four"},
       vrdmsg::BoxKind::ErrorReport, 'r', 4, "four"},
  };
  for (const Case& c : cases) {
    dialogs::MessageArea area;
    area.clear();
    for (int line = 0; line < 4; ++line) area.setLine(line + 1, c.lines[line]);
    dialogs::MessageBoxBlock block;
    dialogs::buildMessageBoxBlock(block, c.kind, c.defaultFlag, area);

    const unsigned char* bytes = layouts::bytesOf(block);
    const vrdmsg::BoxContent box = vrdmsg::readBoxContent(bytes);
    SCOPED_TRACE(c.lines[3]);
    EXPECT_EQ(box.kind, c.kindRead);
    EXPECT_EQ(vrdmsg::defaultAnswerOf(bytes), c.defaultRead);
    ASSERT_EQ(box.lineCount, c.lineCount);
    EXPECT_EQ(box.lines[0], c.lines[0]);
    EXPECT_EQ(box.lines[c.lineCount - 1], c.lastLine);
  }
}

// The executor posts its reply through the screen library's message store; a client fetches
// it and finds the same exchange record and a return code of 0.
TEST(LayoutRoundTrip, ExchangeRecordThroughTheMessageBlock) {
  testing::TemporaryDirectory directory;
  testing::setVariable("DUNAX_MESSAGE_DIR", directory.file("messages").c_str());
  executor::ExchangeRecord reply;
  std::memset(&reply, ' ', sizeof reply);
  std::memcpy(reply.tag, layouts::kExchangeTag, sizeof reply.tag);
  std::memcpy(reply.stamp, "12345678", sizeof reply.stamp);
  std::memcpy(reply.typeWord, layouts::kReplyType, sizeof reply.typeWord);
  std::memcpy(reply.verb, layouts::kReplyOk, sizeof reply.verb);
  layouts::putPadded(reply.argument1, "C:\\DADOS");
  layouts::putPadded(reply.argument2, ".");
  reply.rest[73] = 'z';
  static executor::MessageBlock posted;
  layouts::setUpMessageBlock(posted);
  executor::fillForPost(posted, reply);
  ASSERT_EQ(sp2::postMessage(layouts::bytesOf(posted)), 0);
  EXPECT_EQ(executor::returnCodeOf(posted), 0);

  static executor::MessageBlock fetched;
  layouts::setUpMessageBlock(fetched);
  executor::clearForFetch(fetched);
  ASSERT_EQ(sp2::fetchMessage(layouts::bytesOf(fetched)), 0);
  EXPECT_EQ(executor::returnCodeOf(fetched), 0);
  EXPECT_EQ(std::memcmp(fetched.text, &reply, sizeof reply), 0);
  EXPECT_EQ(fetched.text[sizeof reply], ' ');
  testing::setVariable("DUNAX_MESSAGE_DIR", nullptr);
}

// The screen library SP2MF reached by the converter through its records, with a host that
// has no terminal and one Ctrl+C waiting.
class LibraryWithoutTerminal final : public sp2::ScreenHost {
 public:
  bool openScreen(const std::string&) override { return false; }
  void closeScreen() override {}
  sp2::ScreenSize size() override { return {24, 80}; }
  bool sizeChanged() override { return false; }
  bool write(const std::string&) override { return true; }
  std::int64_t now() override { return 0; }
  Request takeRequest() override {
    Request waiting = pending;
    pending = Request::None;
    return waiting;
  }
  Request pending = Request::Interrupt;
};

class ConverterToSp2 final : public platform::ScreenProgram {
 public:
  explicit ConverterToSp2(sp2::ScreenLibrary& library) : library_(library) {}
  platform::Expected<int> call(std::int16_t function, void* record) override {
    results.push_back({function, library_.call(function, static_cast<unsigned char*>(record))});
    return results.back().second;
  }
  std::vector<std::pair<int, int>> results;

 private:
  sp2::ScreenLibrary& library_;
};

// The converter's window set-up, refreshes and window end are understood by SP2MF call by
// call (a panel name, a field id or a record read at the wrong place gives a non-zero result),
// and the key code SP2MF writes is the one the converter reads.
TEST(LayoutRoundTrip, PanelRecordsFromConverterToSp2) {
  LibraryWithoutTerminal host;
  sp2::ScreenLibrary library(host);
  ConverterToSp2 program(library);
  converter::screen::ScreenLibrary screen(program);
  ASSERT_TRUE(screen.setUpWindow('B').ok());
  EXPECT_EQ(screen.keyCode(), layouts::screen_key::kCtrlC);
  screen.refreshField(layouts::kLidosFieldId);
  screen.refreshField(layouts::kEscritosFieldId);
  screen.endWindow();

  namespace function = layouts::screen_function;
  const std::vector<std::pair<int, int>> expected = {
      {function::kDefinePanel, 0},  {function::kOpenWindow, 0},   {function::kReadWindow, 0},
      {function::kApplyWindow, 0},  {function::kDisplayPanel, 0}, {function::kRefreshField, 0},
      {function::kRefreshField, 0}, {function::kClosePanel, 0},   {function::kCloseWindow, 0}};
  EXPECT_EQ(program.results, expected);
}

}  // namespace
}  // namespace dunax
