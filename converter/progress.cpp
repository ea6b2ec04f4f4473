// Filling the progress panel, the remaining-time sentence, and the progress step.
#include "converter/progress.h"

#include <cstring>

#include "converter/interruption.h"
#include "converter/texts.h"

namespace dunax::converter {
namespace {

using screen::PanelDataRecord;

// Non-digit characters are taken as they come; for arithmetic they count as 0.
std::uint64_t numericValue(std::string_view digits) {
  std::uint64_t value = 0;
  for (char c : digits) value = value * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
  return value;
}

bool allZeroDigits(std::string_view digits) {
  for (char c : digits) {
    if (c != '0') return false;
  }
  return true;
}

// Replaces every whole occurrence of word in text by replacement (same length).
void replaceAll(char* text, std::size_t length, std::string_view word,
                std::string_view replacement) {
  for (std::size_t i = 0; i + word.size() <= length; ++i) {
    if (std::memcmp(text + i, word.data(), word.size()) == 0) {
      std::memcpy(text + i, replacement.data(), replacement.size());
      i += word.size() - 1;
    }
  }
}

class TextBuilder {
 public:
  explicit TextBuilder(char* out) : out_(out) { std::memset(out_, ' ', kTimeTextLength); }
  TextBuilder& add(std::string_view part) {
    for (char c : part) {
      if (used_ < kTimeTextLength) out_[used_++] = c;
    }
    return *this;
  }

 private:
  char* out_;
  std::size_t used_ = 0;
};

}  // namespace

void buildTimeText(std::string_view days, std::string_view hours, std::string_view minutes,
                   std::string_view seconds, char out[kTimeTextLength]) {
  TextBuilder text(out);
  if (days > "000") {
    text.add(days).add(texts::kDays).add(hours).add(texts::kHours).add(minutes)
        .add(texts::kMinutes).add(seconds).add(texts::kSecondsWord);
  } else if (hours > "00") {
    text.add(hours).add(texts::kHours).add(minutes).add(texts::kMinutes).add(seconds)
        .add(texts::kSecondsWord);
  } else if (minutes > "00") {
    text.add(minutes).add(texts::kMinutes).add(seconds).add(texts::kSecondsWord);
  } else if (seconds > "30") {
    text.add(seconds).add(texts::kSecondsWord);
  } else {
    // "Menos de 30 Segundos" stays plural whatever the seconds are.
    text.add(texts::kLessThan30Seconds);
    return;
  }
  if (days == "001") replaceAll(out, kTimeTextLength, "Dias", "Dia ");
  if (hours == "01") replaceAll(out, kTimeTextLength, "Horas", "Hora ");
  if (minutes == "01") replaceAll(out, kTimeTextLength, "Minutos", "Minuto ");
  if (seconds == "01") replaceAll(out, kTimeTextLength, "Segundos", "Segundo ");
  if (out[0] == '0') out[0] = ' ';
  for (std::size_t i = 0; i + 1 < kTimeTextLength; ++i) {
    if (out[i] == ' ' && out[i + 1] == '0') {
      out[i + 1] = ' ';
      ++i;
    }
  }
}

PlaceInRun computePlaceInRun(std::string_view number, std::string_view total) {
  std::uint64_t totalValue = numericValue(total);
  if (totalValue == 0) return {false, 0, 0};
  std::uint64_t numberValue = numericValue(number);
  return {true, static_cast<unsigned>(numberValue * 100 / totalValue % 1000),
          numberValue * 30 / totalValue};
}

void putNineDigits(char* out, std::uint64_t value) {
  for (int i = 8; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

void incrementNineDigits(char* out) {
  for (int i = 8; i >= 0; --i) {
    if (out[i] != '9') {
      ++out[i];
      return;
    }
    out[i] = '0';
  }
}

void Progress::putCount(std::size_t offset, std::uint64_t count, std::uint64_t& shown) {
  char* field = reinterpret_cast<char*>(screen_.panel().bytes + offset);
  if (shown != kNoCountShown && count == shown + 1) {
    incrementNineDigits(field);
  } else if (count != shown) {
    putNineDigits(field, count);
  }
  shown = count;
}

void Progress::fillFromRunParameter(const RunParameter& parameter) {
  using namespace run_fields;
  unsigned char* panel = screen_.panel().bytes;
  std::memcpy(panel + PanelDataRecord::kNome, parameter.at(kDataFileName), kDataFileName.width);
  panel[PanelDataRecord::kTotalFich] = '0';
  std::memcpy(panel + PanelDataRecord::kTotalFich + 1, parameter.at(kTotalFiles), 8);
  std::string_view number = parameter.field(kFileNumber);
  if (allZeroDigits(number)) {
    std::memcpy(panel + PanelDataRecord::kFichConv, "000000001", 9);
  } else {
    panel[PanelDataRecord::kFichConv] = '0';
    std::memcpy(panel + PanelDataRecord::kFichConv + 1, number.data(), 8);
  }
  buildTimeText(parameter.field(kDays), parameter.field(kHours), parameter.field(kMinutes),
                parameter.field(kSeconds), reinterpret_cast<char*>(panel + PanelDataRecord::kDspTempo));

  unsigned char* bar = panel + PanelDataRecord::kBarra;
  PlaceInRun place = computePlaceInRun(number, parameter.field(kTotalFiles));
  if (place.valid) {
    bar[12] = static_cast<unsigned char>('0' + place.percentage / 100 % 10);
    bar[13] = static_cast<unsigned char>('0' + place.percentage / 10 % 10);
    bar[14] = static_cast<unsigned char>('0' + place.percentage % 10);
    if (place.cells >= 1 && place.cells <= PanelDataRecord::kBarCells) {
      for (std::uint64_t cell = 1; cell <= place.cells; ++cell) {
        panel[PanelDataRecord::kBarAttributes + cell - 1] = kFilledCellColour;
      }
    }
  }
  bar[15] = '%';
  screen_.displayPanel();
}

void Progress::step(std::uint64_t lidos, std::uint64_t escritos) {
  putCount(PanelDataRecord::kLidos, lidos, shownLidos_);
  putCount(PanelDataRecord::kEscritos, escritos, shownEscritos_);
  if (lidos % 100 == 0) {
    screen_.displayPanel();
  } else {
    screen_.refreshField(screen::kLidosFieldId);
    screen_.refreshField(screen::kEscritosFieldId);
  }
  interruption_.test();
}

}  // namespace dunax::converter
