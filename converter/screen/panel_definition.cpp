// The constant panel definition record of the progress panel "PDUNAXD", laid out in the screen
// library's panel format: a header (name, format mark, caption, window title, panel size in
// units), then one entry per static text ("T") and per data field ("F"), then "E".
#include "converter/screen/panel_definition.h"

#include <array>
#include <cstring>

namespace dunax::converter::screen {
namespace {

// The panel's texts, Windows-1252.
constexpr const char kPanelName[] = "PDUNAXD ";
constexpr const char kCaption[] = "Display da conversao";
constexpr const char kDesignTitle[] = "Em Convers\xE3o ....";
constexpr const char kFormatMark[] = "SPF1";
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
constexpr int kBarCells = 30;
constexpr int kBarVertical = 95;
constexpr int kBarFirstHorizontal = 30;
constexpr int kBarStep = 12;
constexpr int kBarCellIds[kBarCells] = {3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 16, 17, 18,
                                        19, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34};
constexpr const char kBarFormat[] = "X(001)";
constexpr const char kBarInitial[] = "X";
// Cell n's attribute byte lies at 364 + n in the panel data record.
constexpr int kBarAttributeBase = 364;

// Writes entries into the record, front to back.
class RecordWriter {
 public:
  explicit RecordWriter(unsigned char* record) : record_(record) {}
  void text(std::size_t at, const char* value, std::size_t width) {
    std::size_t length = std::strlen(value);
    std::memset(record_ + at, ' ', width);
    std::memcpy(record_ + at, value, length < width ? length : width);
  }
  void number(std::size_t at, int value) {
    record_[at] = static_cast<unsigned char>((value >> 8) & 0xFF);
    record_[at + 1] = static_cast<unsigned char>(value & 0xFF);
  }
  void byte(int value) { record_[next_++] = static_cast<unsigned char>(value); }
  void number(int value) {
    number(next_, value);
    next_ += 2;
  }
  void counted(const char* value) {
    std::size_t length = std::strlen(value);
    byte(static_cast<int>(length));
    std::memcpy(record_ + next_, value, length);
    next_ += length;
  }
  void startEntries(std::size_t at) { next_ = at; }

  void staticText(const StaticText& entry) {
    byte('T');
    number(entry.vertical);
    number(entry.horizontal);
    counted(entry.text);
  }
  void field(const DataField& entry, bool barCell, int attributeOffset) {
    byte('F');
    number(entry.id);
    byte(barCell ? 'B' : ' ');
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

std::array<unsigned char, kPanelDefinitionSize> buildPanelDefinition() {
  std::array<unsigned char, kPanelDefinitionSize> record{};
  RecordWriter writer(record.data());
  writer.text(2, kPanelName, 8);
  writer.text(10, kFormatMark, 4);
  writer.text(14, kCaption, 40);
  writer.text(54, kDesignTitle, 100);
  writer.number(154, 400);  // horizontal units of the panel
  writer.number(156, 200);  // vertical units of the panel
  writer.startEntries(158);
  for (const StaticText& text : kStaticTexts) writer.staticText(text);
  for (const DataField& field : kFieldsBeforeBar) writer.field(field, false, 0);
  for (int cell = 1; cell <= kBarCells; ++cell) {
    DataField barCell = {kBarCellIds[cell - 1], kBarVertical,
                         kBarFirstHorizontal + (cell - 1) * kBarStep, 1, 1, kBarFormat,
                         cell == 1 ? kBarInitial : ""};
    writer.field(barCell, true, kBarAttributeBase + cell);
  }
  for (const DataField& field : kFieldsAfterBar) writer.field(field, false, 0);
  writer.byte('E');
  return record;
}

}  // namespace

void fillPanelDefinition(unsigned char* area) {
  static const std::array<unsigned char, kPanelDefinitionSize> kRecord = buildPanelDefinition();
  std::memcpy(area, kRecord.data(), kRecord.size());
}

}  // namespace dunax::converter::screen
