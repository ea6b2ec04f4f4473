// The panel format of the screen library: how a panel definition record (function 128) carries
// a panel's texts and fields, and the panel as the library holds it once read. The format is
// described for the programs that build such records in PANEL_FORMAT.md.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dunax::sp2 {

// Panel definition record.
inline constexpr std::size_t kPanelDefinitionSize = 3672;
inline constexpr std::size_t kDefinitionResultOffset = 0;
inline constexpr std::size_t kDefinitionNameOffset = 2;
inline constexpr std::size_t kDefinitionMarkOffset = 10;      // "SPF1"
inline constexpr std::size_t kDefinitionCaptionOffset = 14;   // 40 bytes
inline constexpr std::size_t kDefinitionTitleOffset = 54;     // 100 bytes
inline constexpr std::size_t kDefinitionWidthOffset = 154;    // 2 bytes, MSB first
inline constexpr std::size_t kDefinitionHeightOffset = 156;   // 2 bytes, MSB first
inline constexpr std::size_t kDefinitionEntriesOffset = 158;
inline constexpr char kDefinitionMark[4] = {'S', 'P', 'F', '1'};

inline constexpr std::size_t kNameLength = 8;
inline constexpr std::size_t kCaptionLength = 40;
inline constexpr std::size_t kTitleLength = 100;

// Panel data record (function 19): the field values start at 192, one after the other in the
// order of the fields in the definition.
inline constexpr std::size_t kDataRecordSize = 437;
inline constexpr std::size_t kDataKeyCodeOffset = 22;     // 2 bytes, MSB first, signed
inline constexpr std::size_t kDataPanelNameOffset = 62;
inline constexpr std::size_t kDataValuesOffset = 192;

// Limits of one panel as the library holds it.
inline constexpr int kMaxTexts = 48;
inline constexpr int kMaxFields = 64;
inline constexpr int kMaxTextLength = 80;
inline constexpr int kMaxFormatLength = 32;
inline constexpr int kMaxInitialLength = 80;

struct PanelText {
  int vertical = 0;
  int horizontal = 0;
  int length = 0;
  char text[kMaxTextLength];
};

struct PanelField {
  int id = 0;
  bool barCell = false;        // one cell of a bar: drawn joined to the next cell of the bar
  int vertical = 0;
  int horizontal = 0;
  int shownLength = 0;
  int valueLength = 0;
  int valueOffset = 0;         // where the value stands in the panel data record
  int attributeOffset = 0;     // the field's attribute byte in the panel data record; 0 = none
  int formatLength = 0;
  char format[kMaxFormatLength];
  int initialLength = 0;
  char initial[kMaxInitialLength];
};

struct Panel {
  char name[kNameLength];
  char caption[kCaptionLength];
  char title[kTitleLength];
  int width = 400;   // units of the horizontal positions
  int height = 200;  // units of the vertical positions
  int textCount = 0;
  PanelText texts[kMaxTexts];
  int fieldCount = 0;
  PanelField fields[kMaxFields];
};

enum class PanelStatus {
  Ok,
  NoMark,          // offsets 10-13 do not hold "SPF1"
  BadSize,         // a width or height of zero
  BadEntry,        // an entry of unknown kind, or one that runs past the record
  TooMany,         // more texts or fields than a panel holds
  TooLong,         // a text, edit format or initial content beyond the limits above
  ValuesTooLong,   // the field values or an attribute byte would lie beyond the data record
  NoEnd,           // no end entry before the end of the record
};

// Reads the panel definition record (kPanelDefinitionSize bytes) into panel.
// Returns Ok, or the first fault found (panel is then incomplete and must not be used).
PanelStatus readPanelDefinition(const unsigned char* record, Panel& panel);

// The index of the field with the given id in panel, or -1 when it has none.
int findFieldIndex(const Panel& panel, int id);

// Reads a 2-byte integer stored most significant byte first.
inline int readBigEndian16(const unsigned char* at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((at[0] << 8) | at[1]));
}

// Stores a 2-byte integer most significant byte first.
inline void writeBigEndian16(unsigned char* at, int value) {
  auto bits = static_cast<std::uint16_t>(value);
  at[0] = static_cast<unsigned char>(bits >> 8);
  at[1] = static_cast<unsigned char>(bits & 0xFF);
}

}  // namespace dunax::sp2
