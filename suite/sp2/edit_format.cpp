// Applying an edit format of the panel fields to a value.
#include "suite/sp2/edit_format.h"

#include <cstring>

namespace dunax::sp2 {
namespace {

constexpr std::size_t kMaxPicture = 256;

// Expands repeats ("X(040)" becomes forty "X") into picture. Returns its length.
std::size_t expandPicture(const char* format, std::size_t formatLength, char* picture) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < formatLength && length < kMaxPicture; ++i) {
    char symbol = format[i];
    if (symbol == '(' ) continue;  // a repeat without a symbol before it is ignored
    std::size_t count = 1;
    if (i + 1 < formatLength && format[i + 1] == '(') {
      std::size_t j = i + 2;
      std::size_t repeat = 0;
      while (j < formatLength && format[j] >= '0' && format[j] <= '9') {
        repeat = repeat * 10 + static_cast<std::size_t>(format[j] - '0');
        if (repeat > kMaxPicture) repeat = kMaxPicture;
        ++j;
      }
      if (j < formatLength && format[j] == ')') {
        count = repeat;
        i = j;
      }
    }
    for (std::size_t k = 0; k < count && length < kMaxPicture; ++k) picture[length++] = symbol;
  }
  return length;
}

bool isDigitSymbol(char symbol) { return symbol == 'Z' || symbol == 'z' || symbol == '9'; }

bool isNumericPicture(const char* picture, std::size_t length) {
  bool digits = false;
  for (std::size_t i = 0; i < length; ++i) {
    if (picture[i] == 'X' || picture[i] == 'x' || picture[i] == 'A') return false;
    if (isDigitSymbol(picture[i])) digits = true;
  }
  return digits;
}

void copyPadded(const char* text, std::size_t length, char* out, std::size_t shownLength) {
  std::size_t n = length < shownLength ? length : shownLength;
  std::memcpy(out, text, n);
  std::memset(out + n, ' ', shownLength - n);
}

}  // namespace

void applyEditFormat(const char* format, std::size_t formatLength, const char* value,
                     std::size_t valueLength, char* out, std::size_t shownLength) {
  char picture[kMaxPicture];
  std::size_t pictureLength = expandPicture(format, formatLength, picture);
  if (!isNumericPicture(picture, pictureLength)) {
    copyPadded(value, valueLength, out, shownLength);
    return;
  }
  std::size_t digitPositions = 0;
  for (std::size_t i = 0; i < pictureLength; ++i) {
    if (isDigitSymbol(picture[i])) ++digitPositions;
  }
  // The value's digits, right-aligned under the digit positions.
  char digits[kMaxPicture];
  for (std::size_t d = 0; d < digitPositions; ++d) {
    std::size_t fromEnd = digitPositions - d;
    char c = fromEnd <= valueLength ? value[valueLength - fromEnd] : '0';
    digits[d] = (c == '\0' || c == ' ') ? '0' : c;
  }
  char shown[kMaxPicture];
  bool suppressing = true;
  std::size_t d = 0;
  for (std::size_t i = 0; i < pictureLength; ++i) {
    char symbol = picture[i];
    if (symbol == '9') {
      suppressing = false;
      shown[i] = digits[d++];
    } else if (symbol == 'Z' || symbol == 'z') {
      char c = digits[d++];
      if (suppressing && c == '0') {
        shown[i] = ' ';
      } else {
        suppressing = false;
        shown[i] = c;
      }
    } else if (symbol == 'B' || symbol == 'b') {
      shown[i] = ' ';
    } else {
      shown[i] = suppressing ? ' ' : symbol;
    }
  }
  copyPadded(shown, pictureLength, out, shownLength);
}

}  // namespace dunax::sp2
