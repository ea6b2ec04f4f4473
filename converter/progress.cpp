// Filling the progress panel, the remaining-time sentence, and the progress step.
#include "converter/progress.h"

#include <cstring>

#include "converter/interruption.h"
#include "converter/texts.h"
#include "layouts/byte_fields.h"

namespace dunax::converter {
namespace {

// The percentage stands in the middle of the bar: three digits from cell 13, "%" in cell 16.
constexpr std::size_t kPercentageCell = 12;
constexpr std::size_t kPercentSignCell = 15;

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

void putNineDigits(char* out, std::uint64_t value) { layouts::putDigits(out, 9, value); }

void incrementNineDigits(char* out) {
  for (int i = 8; i >= 0; --i) {
    if (out[i] != '9') {
      ++out[i];
      return;
    }
    out[i] = '0';
  }
}

void Progress::putCount(char* field, std::uint64_t count, std::uint64_t& shown) {
  if (shown != kNoCountShown && count == shown + 1) {
    incrementNineDigits(field);
  } else if (count != shown) {
    putNineDigits(field, count);
  }
  shown = count;
}

void Progress::fillFromRunParameter(const RunParameter& parameter) {
  using layouts::textOf;
  layouts::PanelDataRecord& panel = screen_.panel();
  std::memcpy(panel.nome, parameter.dataFileName, sizeof panel.nome);
  static_assert(sizeof panel.totalFich == sizeof parameter.totalFiles + 1);
  panel.totalFich[0] = '0';
  std::memcpy(panel.totalFich + 1, parameter.totalFiles, sizeof parameter.totalFiles);
  std::string_view number = textOf(parameter.fileNumber);
  if (allZeroDigits(number)) {
    putNineDigits(panel.fichConv, 1);
  } else {
    panel.fichConv[0] = '0';
    std::memcpy(panel.fichConv + 1, number.data(), number.size());
  }
  buildTimeText(textOf(parameter.remainingDays), textOf(parameter.remainingHours),
                textOf(parameter.remainingMinutes), textOf(parameter.remainingSeconds),
                panel.dspTempo);

  PlaceInRun place = computePlaceInRun(number, textOf(parameter.totalFiles));
  if (place.valid) {
    layouts::putDigits(panel.barra + kPercentageCell, 3, place.percentage);
    if (place.cells >= 1 && place.cells <= layouts::kBarCells) {
      for (std::uint64_t cell = 1; cell <= place.cells; ++cell) {
        panel.barColours[cell - 1] = layouts::kFilledBarColour;
      }
    }
  }
  panel.barra[kPercentSignCell] = '%';
  screen_.displayPanel();
}

void Progress::step(std::uint64_t lidos, std::uint64_t escritos) {
  putCount(screen_.panel().lidos, lidos, shownLidos_);
  putCount(screen_.panel().escritos, escritos, shownEscritos_);
  if (lidos % 100 == 0) {
    screen_.displayPanel();
  } else {
    screen_.refreshField(layouts::kLidosFieldId);
    screen_.refreshField(layouts::kEscritosFieldId);
  }
  interruption_.test();
}

}  // namespace dunax::converter
