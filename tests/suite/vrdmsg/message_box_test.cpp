// The message box's portable logic: default and scripted answers, the log line, what the box
// shows, what keys do and where the box stands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "suite/vrdmsg/message_box.h"

namespace dunax::vrdmsg {
namespace {

// A block as the converter's dialog service builds it.
struct Block {
  unsigned char bytes[kBlockSize] = {};
  Block(char kind, char defaultButton, const char* line1, const char* line2 = "",
        const char* line3 = "", const char* line4 = "") {
    bytes[0] = 1;
    bytes[offsetof(dunax::layouts::MessageBoxBlock, boxKind)] = static_cast<unsigned char>(kind);
    bytes[offsetof(dunax::layouts::MessageBoxBlock, defaultButton)] = static_cast<unsigned char>(defaultButton);
    bytes[offsetof(dunax::layouts::MessageBoxBlock, buttonSet)] = 'y';
    put(offsetof(dunax::layouts::MessageBoxBlock, line1), line1, dunax::layouts::kMessageLineLength);
    put(offsetof(dunax::layouts::MessageBoxBlock, line2), line2, dunax::layouts::kMessageLineLength);
    put(offsetof(dunax::layouts::MessageBoxBlock, line3), line3, dunax::layouts::kMessageLineLength);
    put(offsetof(dunax::layouts::MessageBoxBlock, line4), line4, sizeof(dunax::layouts::MessageBoxBlock::line4));
    bytes[offsetof(dunax::layouts::MessageBoxBlock, line3Separator)] = line3[0] != '\0' ? '\n' : ' ';
    bytes[offsetof(dunax::layouts::MessageBoxBlock, line4Separator)] = line4[0] != '\0' ? '\n' : ' ';
  }
  void put(std::size_t at, const char* text, std::size_t width) {
    std::memset(bytes + at, ' ', width);
    std::memcpy(bytes + at, text, std::min(std::strlen(text), width));
  }
};

TEST(MessageBoxTest, DefaultAnswerOfAConfirmationIsTheDefaultButton) {
  EXPECT_EQ(defaultAnswerOf(Block('q', 'y', "Pergunta").bytes), 'y');
  EXPECT_EQ(defaultAnswerOf(Block('q', 'n', "Pergunta").bytes), 'n');
  EXPECT_EQ(defaultAnswerOf(Block('q', '\0', "Pergunta").bytes), 'y');
}

TEST(MessageBoxTest, DefaultAnswerOfAnErrorReportIsRetry) {
  EXPECT_EQ(defaultAnswerOf(Block('s', 'r', "Erro").bytes), 'r');
  EXPECT_EQ(boxKindOf(Block('s', 'r', "Erro").bytes), BoxKind::ErrorReport);
  EXPECT_EQ(boxKindOf(Block('q', 'y', "Pergunta").bytes), BoxKind::Confirmation);
}

TEST(MessageBoxTest, ScriptedAnswersAreTakenOneByOne) {
  std::string rest;
  EXPECT_EQ(takeScriptedAnswer("ny", rest), 'n');
  EXPECT_EQ(rest, "y");
  EXPECT_EQ(takeScriptedAnswer(rest.c_str(), rest), 'y');
  EXPECT_EQ(rest, "");
  EXPECT_EQ(takeScriptedAnswer("", rest), 0);
  EXPECT_EQ(takeScriptedAnswer(nullptr, rest), 0);
}

TEST(MessageBoxTest, LogLineIsTheAnswerAndTheBlockInHex) {
  Block block('q', 'n', "A");
  std::string line = formatLogLine('y', block.bytes);
  ASSERT_EQ(line.size(), 2 + 2 * kBlockSize);
  EXPECT_EQ(line.substr(0, 2), "y ");
  // 01 00, "q", "n", "y", answer 00, then "A" and spaces.
  EXPECT_EQ(line.substr(2, 16), "0100716e79004120");
  EXPECT_EQ(line.substr(2 + 2 * offsetof(dunax::layouts::MessageBoxBlock, line3Separator), 2), "20");
}

TEST(MessageBoxTest, ContentKeepsLinesOneAndTwoAndShownLinesThreeAndFour) {
  BoxContent two = readBoxContent(Block('q', 'y', "  Primeira", "").bytes);
  EXPECT_EQ(two.lineCount, 2);
  EXPECT_EQ(two.lines[0], "  Primeira");
  EXPECT_EQ(two.lines[1], "");
  BoxContent four = readBoxContent(Block('q', 'n', "Um", "Dois", "", "Quatro").bytes);
  ASSERT_EQ(four.lineCount, 3);
  EXPECT_EQ(four.lines[2], "Quatro");
  EXPECT_EQ(four.defaultButton, 1);
  EXPECT_EQ(four.buttonCaptions[0], "Sim");
  EXPECT_EQ(four.buttonCaptions[1], "N\xE3o");
}

TEST(MessageBoxTest, LineFourKeepsFiftyEightCharacters) {
  std::string sixty(60, 'x');
  Block block('q', 'y', "a", "b", "c", sixty.c_str());
  BoxContent box = readBoxContent(block.bytes);
  ASSERT_EQ(box.lineCount, 4);
  EXPECT_EQ(box.lines[3].size(), 58u);
}

TEST(MessageBoxTest, ErrorReportOffersRetryAndCancel) {
  BoxContent box = readBoxContent(Block('s', 'r', "Falhou").bytes);
  EXPECT_EQ(box.buttonCaptions[0], "Repetir");
  EXPECT_EQ(box.buttonCaptions[1], "Cancelar");
  EXPECT_EQ(box.buttonAnswers[0], 'r');
  EXPECT_EQ(box.buttonAnswers[1], 'c');
  EXPECT_EQ(box.defaultButton, 0);
}

KeyAction press(const BoxContent& box, int selected, const std::string& keys, char& answer,
                int& consumed) {
  answer = 0;
  return interpretKey(box, selected, keys.data(), static_cast<int>(keys.size()), answer, consumed);
}

TEST(MessageBoxTest, KeysOfAConfirmation) {
  BoxContent box = readBoxContent(Block('q', 'n', "Pergunta").bytes);
  char answer = 0;
  int consumed = 0;
  EXPECT_EQ(press(box, 1, "s", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'y');
  EXPECT_EQ(press(box, 1, "N", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'n');
  EXPECT_EQ(press(box, 1, "\r", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'n');
  EXPECT_EQ(press(box, 0, "\n", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'y');
  EXPECT_EQ(press(box, 0, "\x1b", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'c');
  EXPECT_EQ(press(box, 0, "\x03", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'c');
  EXPECT_EQ(press(box, 0, "r", answer, consumed), KeyAction::None);
  EXPECT_EQ(press(box, 0, "\x1b[C", answer, consumed), KeyAction::SelectNext);
  EXPECT_EQ(consumed, 3);
  EXPECT_EQ(press(box, 0, "\t", answer, consumed), KeyAction::SelectNext);
  EXPECT_EQ(press(box, 0, "\x1b[A", answer, consumed), KeyAction::None);
  EXPECT_EQ(consumed, 3);
}

TEST(MessageBoxTest, KeysOfAnErrorReport) {
  BoxContent box = readBoxContent(Block('s', 'r', "Erro").bytes);
  char answer = 0;
  int consumed = 0;
  EXPECT_EQ(press(box, 0, "r", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'r');
  EXPECT_EQ(press(box, 0, "C", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'c');
  EXPECT_EQ(press(box, 0, "s", answer, consumed), KeyAction::None);
  EXPECT_EQ(press(box, 1, "\r", answer, consumed), KeyAction::Answer);
  EXPECT_EQ(answer, 'c');
}

TEST(MessageBoxTest, BoxStandsInTheMiddleAndFits) {
  BoxContent box = readBoxContent(Block('q', 'y', "  Interrompe a Convers\xE3o? ", "linha").bytes);
  BoxPlace place = placeBox(box, 24, 80);
  EXPECT_EQ(place.height, 6);
  EXPECT_EQ(place.width, 25 + 4);  // the longest line and a border and a margin each side
  EXPECT_EQ(place.top, (24 - place.height) / 2);
  EXPECT_EQ(place.left, (80 - place.width) / 2);
  BoxPlace narrow = placeBox(box, 10, 20);
  EXPECT_LE(narrow.left + narrow.width, 20);
}

TEST(MessageBoxTest, DrawingShowsTheLinesInUtf8AndTheSelectedButtonReversed) {
  BoxContent box = readBoxContent(Block('q', 'n', "Interrompe a Convers\xE3o?").bytes);
  BoxPlace place = placeBox(box, 24, 80);
  std::string out;
  appendBoxDrawing(box, place, 1, out);
  EXPECT_NE(out.find("Interrompe a Convers\xC3\xA3o?"), std::string::npos);
  EXPECT_NE(out.find("\x1b[7m[ N\xC3\xA3o ]"), std::string::npos);
  EXPECT_NE(out.find("[ Sim ]"), std::string::npos);
  std::string cleared;
  appendBoxClearing(place, cleared);
  EXPECT_NE(cleared.find(std::string(static_cast<std::size_t>(place.width), ' ')), std::string::npos);
}

}  // namespace
}  // namespace dunax::vrdmsg
