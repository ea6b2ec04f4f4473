// The panel format of the screen library: how a panel definition record (function 128) carries
// a panel's texts and fields, and the panel as the library holds it once read. The format is
// described for the programs that build such records in PANEL_FORMAT.md.
#pragma once

#include <cstddef>

#include "layouts/byte_fields.h"
#include "layouts/panel_records.h"

namespace dunax::sp2 {

// The panel definition record and the panel data record (function 19) are laid out in
// layouts/panel_records.h; the data record's field values start at kDataValuesOffset, one
// after the other in the order of the fields in the definition.
using layouts::PanelDataRecord;
using layouts::PanelDefinitionRecord;
inline constexpr std::size_t kPanelDefinitionSize = layouts::kPanelDefinitionLength;
inline constexpr std::size_t kDefinitionEntriesOffset = offsetof(PanelDefinitionRecord, entries);
inline constexpr std::size_t kDataRecordSize = layouts::kPanelDataLength;
inline constexpr std::size_t kDataValuesOffset = layouts::kPanelValuesOffset;

inline constexpr std::size_t kNameLength = layouts::kPanelNameLength;
inline constexpr std::size_t kCaptionLength = sizeof(PanelDefinitionRecord::caption);
inline constexpr std::size_t kTitleLength = sizeof(PanelDefinitionRecord::designTitle);

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

using layouts::putBigEndian16;
using layouts::readBigEndian16;

}  // namespace dunax::sp2
