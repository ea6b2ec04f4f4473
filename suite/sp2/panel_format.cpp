// Reading a panel definition record in the library's panel format (PANEL_FORMAT.md).
#include "suite/sp2/panel_format.h"

#include <cstring>

namespace dunax::sp2 {
namespace {

// A reader over the entries of the record that never runs past its end.
class EntryReader {
 public:
  EntryReader(const unsigned char* record, std::size_t at) : record_(record), at_(at) {}
  bool canRead(std::size_t count) const { return at_ + count <= kPanelDefinitionSize; }
  bool readByte(int& value) {
    if (!canRead(1)) return false;
    value = record_[at_++];
    return true;
  }
  bool readNumber(int& value) {
    if (!canRead(2)) return false;
    value = static_cast<std::uint16_t>(readBigEndian16(record_ + at_));
    at_ += 2;
    return true;
  }
  bool readBytes(char* out, int count) {
    if (!canRead(static_cast<std::size_t>(count))) return false;
    std::memcpy(out, record_ + at_, static_cast<std::size_t>(count));
    at_ += static_cast<std::size_t>(count);
    return true;
  }

 private:
  const unsigned char* record_;
  std::size_t at_;
};

PanelStatus readText(EntryReader& reader, Panel& panel) {
  if (panel.textCount >= kMaxTexts) return PanelStatus::TooMany;
  PanelText& text = panel.texts[panel.textCount];
  if (!reader.readNumber(text.vertical) || !reader.readNumber(text.horizontal) ||
      !reader.readByte(text.length)) {
    return PanelStatus::BadEntry;
  }
  if (text.length > kMaxTextLength) return PanelStatus::TooLong;
  if (!reader.readBytes(text.text, text.length)) return PanelStatus::BadEntry;
  ++panel.textCount;
  return PanelStatus::Ok;
}

PanelStatus readField(EntryReader& reader, Panel& panel, int& nextValueOffset) {
  if (panel.fieldCount >= kMaxFields) return PanelStatus::TooMany;
  PanelField& field = panel.fields[panel.fieldCount];
  int style = 0;
  if (!reader.readNumber(field.id) || !reader.readByte(style) ||
      !reader.readNumber(field.vertical) || !reader.readNumber(field.horizontal) ||
      !reader.readByte(field.shownLength) || !reader.readByte(field.valueLength) ||
      !reader.readNumber(field.attributeOffset) || !reader.readByte(field.formatLength)) {
    return PanelStatus::BadEntry;
  }
  if (style != layouts::kPlainFieldStyle && style != layouts::kBarCellStyle) {
    return PanelStatus::BadEntry;
  }
  field.barCell = style == layouts::kBarCellStyle;
  if (field.formatLength > kMaxFormatLength) return PanelStatus::TooLong;
  if (!reader.readBytes(field.format, field.formatLength) || !reader.readByte(field.initialLength)) {
    return PanelStatus::BadEntry;
  }
  if (field.initialLength > kMaxInitialLength) return PanelStatus::TooLong;
  if (!reader.readBytes(field.initial, field.initialLength)) return PanelStatus::BadEntry;
  field.valueOffset = nextValueOffset;
  nextValueOffset += field.valueLength;
  if (static_cast<std::size_t>(nextValueOffset) > kDataRecordSize ||
      static_cast<std::size_t>(field.attributeOffset) >= kDataRecordSize) {
    return PanelStatus::ValuesTooLong;
  }
  ++panel.fieldCount;
  return PanelStatus::Ok;
}

}  // namespace

PanelStatus readPanelDefinition(const unsigned char* record, Panel& panel) {
  panel.textCount = 0;
  panel.fieldCount = 0;
  const auto& definition = *reinterpret_cast<const PanelDefinitionRecord*>(record);
  if (std::memcmp(definition.formatMark, layouts::kPanelFormatMark,
                  sizeof layouts::kPanelFormatMark) != 0) {
    return PanelStatus::NoMark;
  }
  std::memcpy(panel.name, definition.panelName, kNameLength);
  std::memcpy(panel.caption, definition.caption, kCaptionLength);
  std::memcpy(panel.title, definition.designTitle, kTitleLength);
  panel.width = readBigEndian16(definition.width);
  panel.height = readBigEndian16(definition.height);
  if (panel.width <= 0 || panel.height <= 0) return PanelStatus::BadSize;

  EntryReader reader(record, kDefinitionEntriesOffset);
  int nextValueOffset = static_cast<int>(kDataValuesOffset);
  for (;;) {
    int kind = 0;
    if (!reader.readByte(kind)) return PanelStatus::NoEnd;
    if (kind == layouts::kEndEntry) return PanelStatus::Ok;
    const PanelStatus status = kind == layouts::kStaticTextEntry ? readText(reader, panel)
                               : kind == layouts::kDataFieldEntry
                                   ? readField(reader, panel, nextValueOffset)
                                   : PanelStatus::BadEntry;
    if (status != PanelStatus::Ok) return status;
  }
}

int findFieldIndex(const Panel& panel, int id) {
  for (int i = 0; i < panel.fieldCount; ++i) {
    if (panel.fields[i].id == id) return i;
  }
  return -1;
}

}  // namespace dunax::sp2
