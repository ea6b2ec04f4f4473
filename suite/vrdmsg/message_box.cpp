// The portable logic of the message box: default and scripted answers, the log line, the box
// content read from the block, and the meaning of keys. The box's own texts are kept here.
#include "suite/vrdmsg/message_box.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace dunax::vrdmsg {
namespace {

// The box's texts, Windows-1252.
constexpr const char kConfirmationTitle[] = " Confirma\xE7\xE3o ";
constexpr const char kErrorTitle[] = " Erro ";
constexpr const char kYesCaption[] = "Sim";
constexpr const char kNoCaption[] = "N\xE3o";
constexpr const char kRetryCaption[] = "Repetir";
constexpr const char kCancelCaption[] = "Cancelar";

const MessageBoxBlock& blockAt(const unsigned char* block) {
  return *reinterpret_cast<const MessageBoxBlock*>(block);
}

template <std::size_t Width>
std::string trimmedLine(const char (&field)[Width]) {
  std::string line(field, Width);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\0')) line.pop_back();
  return line;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr const char kHorizontal[] = "\xE2\x94\x80";   // ─
constexpr const char kVertical[] = "\xE2\x94\x82";     // │
constexpr const char kTopLeft[] = "\xE2\x94\x8C";      // ┌
constexpr const char kTopRight[] = "\xE2\x94\x90";     // ┐
constexpr const char kBottomLeft[] = "\xE2\x94\x94";   // └
constexpr const char kBottomRight[] = "\xE2\x94\x98";  // ┘

void appendMoveTo(int row, int column, std::string& out) {
  out += "\x1b[" + std::to_string(row + 1) + ";" + std::to_string(column + 1) + "H";
}

// The button line without attributes: "[ Sim ]   [ Não ]".
int buttonLineWidth(const BoxContent& box) {
  return static_cast<int>(box.buttonCaptions[0].size() + box.buttonCaptions[1].size()) + 4 + 4 + 3;
}

}  // namespace

BoxKind boxKindOf(const unsigned char* block) {
  return blockAt(block).boxKind[0] == layouts::kErrorReportBox ? BoxKind::ErrorReport
                                                                : BoxKind::Confirmation;
}

char defaultAnswerOf(const unsigned char* block) {
  if (boxKindOf(block) == BoxKind::ErrorReport) return layouts::kAnswerRetry;
  return blockAt(block).defaultButton[0] == layouts::kAnswerNo ? layouts::kAnswerNo
                                                               : layouts::kAnswerYes;
}

char takeScriptedAnswer(const char* list, std::string& rest) {
  if (list == nullptr || list[0] == '\0') {
    rest.clear();
    return 0;
  }
  char answer = list[0];
  rest = std::string(list + 1);  // list may be rest's own text
  return answer;
}

std::string formatLogLine(char answer, const unsigned char* block) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string line;
  line.reserve(2 + 2 * kBlockSize);
  line += answer;
  line += ' ';
  for (std::size_t i = 0; i < kBlockSize; ++i) {
    line += kHex[block[i] >> 4];
    line += kHex[block[i] & 0x0F];
  }
  return line;
}

BoxContent readBoxContent(const unsigned char* block) {
  BoxContent box;
  box.kind = boxKindOf(block);
  const MessageBoxBlock& fields = blockAt(block);
  box.lines[box.lineCount++] = trimmedLine(fields.line1);
  box.lines[box.lineCount++] = trimmedLine(fields.line2);
  std::string line3 = trimmedLine(fields.line3);
  if (fields.line3Separator[0] == layouts::kShownLineSeparator && !line3.empty()) {
    box.lines[box.lineCount++] = line3;
  }
  std::string line4 = trimmedLine(fields.line4);
  if (fields.line4Separator[0] == layouts::kShownLineSeparator && !line4.empty()) {
    box.lines[box.lineCount++] = line4;
  }
  if (box.kind == BoxKind::Confirmation) {
    box.title = kConfirmationTitle;
    box.buttonCaptions[0] = kYesCaption;
    box.buttonCaptions[1] = kNoCaption;
    box.buttonAnswers[0] = layouts::kAnswerYes;
    box.buttonAnswers[1] = layouts::kAnswerNo;
  } else {
    box.title = kErrorTitle;
    box.buttonCaptions[0] = kRetryCaption;
    box.buttonCaptions[1] = kCancelCaption;
    box.buttonAnswers[0] = layouts::kAnswerRetry;
    box.buttonAnswers[1] = layouts::kAnswerCancel;
  }
  box.defaultButton = defaultAnswerOf(block) == box.buttonAnswers[0] ? 0 : 1;
  return box;
}

KeyAction interpretKey(const BoxContent& box, int selected, const char* bytes, int length,
                       char& answer, int& consumed) {
  consumed = 1;
  char key = bytes[0];
  if (key == '\x1b') {
    if (length == 1) {
      answer = 'c';
      return KeyAction::Answer;
    }
    // An escape sequence: CSI or SS3 followed by parameters and a final byte.
    int end = 1;
    if (bytes[1] == '[' || bytes[1] == 'O') {
      end = 2;
      while (end < length && (bytes[end] < 0x40 || bytes[end] > 0x7E)) ++end;
      if (end < length) ++end;
    }
    consumed = end;
    char final = bytes[end - 1];
    if (end > 2 && (final == 'C' || final == 'D' || final == 'Z')) return KeyAction::SelectNext;
    return KeyAction::None;
  }
  if (key == '\r' || key == '\n') {
    answer = box.buttonAnswers[selected == 1 ? 1 : 0];
    return KeyAction::Answer;
  }
  if (key == '\t') return KeyAction::SelectNext;
  const char letter = lowerAscii(key);
  if (key == '\x03' || letter == 'c' ||
      (box.kind == BoxKind::Confirmation && (letter == 's' || letter == 'n')) ||
      (box.kind == BoxKind::ErrorReport && letter == 'r')) {
    answer = key == '\x03' ? 'c' : letter == 's' ? 'y' : letter;
    return KeyAction::Answer;
  }
  return KeyAction::None;
}

BoxPlace placeBox(const BoxContent& box, int rows, int columns) {
  int inner = buttonLineWidth(box);
  inner = std::max(inner, static_cast<int>(box.title.size()) + 2);
  for (int i = 0; i < box.lineCount; ++i) inner = std::max(inner, static_cast<int>(box.lines[i].size()));
  BoxPlace place;
  place.width = std::min(inner + 4, std::max(columns, 12));
  place.height = box.lineCount + 4;  // border, lines, empty line, buttons, border
  place.top = std::max(0, (rows - place.height) / 2);
  place.left = std::max(0, (columns - place.width) / 2);
  return place;
}

void appendBoxDrawing(const BoxContent& box, const BoxPlace& place, int selected,
                      std::string& out) {
  int inner = place.width - 2;
  out += "\x1b[0m";
  // Top border with the title.
  appendMoveTo(place.top, place.left, out);
  out += kTopLeft;
  int titleLength = std::min(static_cast<int>(box.title.size()), inner);
  int before = (inner - titleLength) / 2;
  for (int i = 0; i < before; ++i) out += kHorizontal;
  out += "\x1b[1m";
  dunax::platform::appendUtf8FromWindows1252(box.title.data(), static_cast<std::size_t>(titleLength), out);
  out += "\x1b[0m";
  for (int i = before + titleLength; i < inner; ++i) out += kHorizontal;
  out += kTopRight;
  // The lines of text, then an empty line and the buttons.
  int row = place.top + 1;
  auto appendRow = [&](const std::string& text, bool centred) {
    appendMoveTo(row++, place.left, out);
    out += kVertical;
    int length = std::min(static_cast<int>(text.size()), inner - 2);
    int pad = centred ? (inner - length) / 2 : 1;
    out.append(static_cast<std::size_t>(pad), ' ');
    dunax::platform::appendUtf8FromWindows1252(text.data(), static_cast<std::size_t>(length), out);
    out.append(static_cast<std::size_t>(inner - pad - length), ' ');
    out += kVertical;
  };
  for (int i = 0; i < box.lineCount; ++i) appendRow(box.lines[i], false);
  appendRow(std::string(), false);
  // Buttons, centred; the selected one in reverse video.
  appendMoveTo(row, place.left, out);
  out += kVertical;
  int width = buttonLineWidth(box);
  int pad = std::max(0, (inner - width) / 2);
  out.append(static_cast<std::size_t>(pad), ' ');
  for (int b = 0; b < 2; ++b) {
    if (b == 1) out += "   ";
    if (b == selected) out += "\x1b[7m";
    out += "[ ";
    dunax::platform::appendUtf8FromWindows1252(box.buttonCaptions[b].data(),
                                               box.buttonCaptions[b].size(), out);
    out += " ]";
    if (b == selected) out += "\x1b[0m";
  }
  out.append(static_cast<std::size_t>(std::max(0, inner - pad - width)), ' ');
  out += kVertical;
  ++row;
  appendMoveTo(row, place.left, out);
  out += kBottomLeft;
  for (int i = 0; i < inner; ++i) out += kHorizontal;
  out += kBottomRight;
}

void appendBoxClearing(const BoxPlace& place, std::string& out) {
  out += "\x1b[0m";
  for (int row = place.top; row < place.top + place.height; ++row) {
    appendMoveTo(row, place.left, out);
    out.append(static_cast<std::size_t>(place.width), ' ');
  }
}

}  // namespace dunax::vrdmsg
