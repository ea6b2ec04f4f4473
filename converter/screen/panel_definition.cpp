// The constant panel definition record of the progress panel "PDUNAXD", laid out in the screen
// library's panel format: a header (name, format mark, caption, window title, panel size in
// units), then one entry per static text ("T") and per data field ("F"), then "E".
#include "converter/screen/panel_definition.h"

#include <cstring>

#include "layouts/byte_fields.h"

namespace dunax::converter::screen {
namespace {

using layouts::PanelDefinitionRecord;

// The panel's texts, Windows-1252.
constexpr const char kCaption[] = "Display da conversao";
constexpr const char kDesignTitle[] = "Em Convers\xE3o ....";
constexpr const char kCountFormat[] = "ZZZ ZZZ ZZ9";

struct StaticText {
  int vertical;
  int horizontal;
  const char* text;
};

constexpr StaticText kStaticTexts[] = {
    {18, 25, "Convertendo Ficheiros..."},
    {34, 309, "Empresa"},
    {54, 190, "Tempo Estimado:"},
    {65, 95, "de"},
    {123, 28, "Ficheiro"},
    {149, 325, "Fase"},
    {179, 35, "Registos Lidos"},
    {179, 215, "Registos Escritos"},
};

struct DataField {
  int id;
  int vertical;
  int horizontal;
  int shownLength;
  int valueLength;
  const char* editFormat;  // "" for none
  const char* initial;     // "" for none
};

// The fields before the bar, then those after it, in definition order.
constexpr DataField kFieldsBeforeBar[] = {
    {36, 32, 362, 3, 3, "XXX", "002"},                       // EMPRESA
    {37, 65, 25, 11, 9, kCountFormat, ""},                   // FICH-CONV
    {38, 65, 115, 11, 9, kCountFormat, ""},                  // TOTAL-FICH
    {35, 74, 185, 40, 40, "X(040)", "                                        "},  // DSP-TEMPO
};
constexpr DataField kFieldsAfterBar[] = {
    {15, 146, 20, 50, 50, "X(050)", ""},                     // NOME
    {2, 149, 360, 10, 10, "", "1 de 2    "},                 // DSP-FASE
    {20, 176, 125, 11, 9, kCountFormat, ""},                 // LIDOS
    {1, 176, 320, 11, 9, kCountFormat, ""},                  // ESCRITOS
};

// The bar: 30 one-character cells on one line; cell 1 is BARRA.
constexpr int kBarCells = static_cast<int>(layouts::kBarCells);
constexpr int kBarVertical = 95;
constexpr int kBarFirstHorizontal = 30;
constexpr int kBarStep = 12;
constexpr int kBarCellIds[kBarCells] = {3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 16, 17, 18,
                                        19, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34};
constexpr const char kBarFormat[] = "X(001)";
constexpr const char kBarInitial[] = "X";
// Cell n's colour byte in the panel data record.
constexpr int barColourOffset(int cell) {
  return static_cast<int>(offsetof(layouts::PanelDataRecord, barColours)) + cell - 1;
}

// Writes entries into the record, front to back.
class RecordWriter {
 public:
  explicit RecordWriter(unsigned char* entries) : record_(entries) {}
  void byte(int value) { record_[next_++] = static_cast<unsigned char>(value); }
  void number(int value) {
    layouts::putBigEndian16(record_ + next_, value);
    next_ += 2;
  }
  void counted(const char* value) {
    std::size_t length = std::strlen(value);
    byte(static_cast<int>(length));
    std::memcpy(record_ + next_, value, length);
    next_ += length;
  }
  void staticText(const StaticText& entry) {
    byte(layouts::kStaticTextEntry);
    number(entry.vertical);
    number(entry.horizontal);
    counted(entry.text);
  }
  void field(const DataField& entry, bool barCell, int attributeOffset) {
    byte(layouts::kDataFieldEntry);
    number(entry.id);
    byte(barCell ? layouts::kBarCellStyle : layouts::kPlainFieldStyle);
    number(entry.vertical);
    number(entry.horizontal);
    byte(entry.shownLength);
    byte(entry.valueLength);
    number(attributeOffset);
    counted(entry.editFormat);
    counted(entry.initial);
  }
  std::size_t used() const { return next_; }

 private:
  unsigned char* record_;
  std::size_t next_ = 0;
};

PanelDefinitionRecord buildPanelDefinition() {
  PanelDefinitionRecord record{};
  layouts::putPadded(record.panelName, layouts::kProgressPanelName);
  std::memcpy(record.formatMark, layouts::kPanelFormatMark, sizeof record.formatMark);
  layouts::putPadded(record.caption, kCaption);
  layouts::putPadded(record.designTitle, kDesignTitle);
  layouts::putBigEndian16(record.width, 400);   // horizontal units of the panel
  layouts::putBigEndian16(record.height, 200);  // vertical units of the panel
  RecordWriter writer(record.entries);
  for (const StaticText& text : kStaticTexts) writer.staticText(text);
  for (const DataField& field : kFieldsBeforeBar) writer.field(field, false, 0);
  for (int cell = 1; cell <= kBarCells; ++cell) {
    DataField barCell = {kBarCellIds[cell - 1], kBarVertical,
                         kBarFirstHorizontal + (cell - 1) * kBarStep, 1, 1, kBarFormat,
                         cell == 1 ? kBarInitial : ""};
    writer.field(barCell, true, barColourOffset(cell));
  }
  for (const DataField& field : kFieldsAfterBar) writer.field(field, false, 0);
  writer.byte(layouts::kEndEntry);
  return record;
}

}  // namespace

void fillPanelDefinition(unsigned char* area) {
  static const PanelDefinitionRecord kRecord = buildPanelDefinition();
  std::memcpy(area, &kRecord, sizeof kRecord);
}

}  // namespace dunax::converter::screen
