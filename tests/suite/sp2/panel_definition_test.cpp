// The converter's panel "PDUNAXD" read back with the screen library's own reader: every text,
// field, id, position, length, edit format and bar cell as the panel is designed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "converter/screen/panel_definition.h"
#include "suite/sp2/panel_format.h"

namespace dunax::sp2 {
namespace {

class PanelDefinitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(record_, 0xAA, sizeof record_);
    converter::screen::fillPanelDefinition(record_);
    ASSERT_EQ(readPanelDefinition(record_, panel_), PanelStatus::Ok);
  }
  unsigned char record_[kPanelDefinitionSize];
  Panel panel_;
};

std::string textOf(const char* bytes, int length) { return std::string(bytes, static_cast<std::size_t>(length)); }

TEST_F(PanelDefinitionTest, HeaderCarriesNameAndDesignTimeTexts) {
  static_assert(converter::screen::kPanelDefinitionSize == kPanelDefinitionSize);
  EXPECT_EQ(record_[0], 0);
  EXPECT_EQ(record_[1], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record_) + 2, 8), "PDUNAXD ");
  EXPECT_EQ(std::string(panel_.caption, 40), "Display da conversao" + std::string(20, ' '));
  EXPECT_EQ(std::string(panel_.title, 100), "Em Convers\xE3o ...." + std::string(83, ' '));
  EXPECT_EQ(panel_.width, 400);
  EXPECT_EQ(panel_.height, 200);
}

TEST_F(PanelDefinitionTest, StaticTextsStandWhereDesigned) {
  struct Expected {
    const char* text;
    int vertical;
    int horizontal;
  };
  const Expected expected[] = {{"Convertendo Ficheiros...", 18, 25}, {"Empresa", 34, 309},
                               {"Tempo Estimado:", 54, 190},          {"de", 65, 95},
                               {"Ficheiro", 123, 28},                 {"Fase", 149, 325},
                               {"Registos Lidos", 179, 35},           {"Registos Escritos", 179, 215}};
  ASSERT_EQ(panel_.textCount, 8);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(expected[i].text);
    EXPECT_EQ(textOf(panel_.texts[i].text, panel_.texts[i].length), expected[i].text);
    EXPECT_EQ(panel_.texts[i].vertical, expected[i].vertical);
    EXPECT_EQ(panel_.texts[i].horizontal, expected[i].horizontal);
  }
}

TEST_F(PanelDefinitionTest, DataFieldsInDefinitionOrderWithTheirValuePlaces) {
  struct Expected {
    int id;
    int vertical;
    int horizontal;
    int shown;
    int value;
    const char* format;
    const char* initial;
    int valueOffset;
  };
  const Expected expected[] = {
      {36, 32, 362, 3, 3, "XXX", "002", 192},
      {37, 65, 25, 11, 9, "ZZZ ZZZ ZZ9", "", 195},
      {38, 65, 115, 11, 9, "ZZZ ZZZ ZZ9", "", 204},
      {35, 74, 185, 40, 40, "X(040)", "                                        ", 213},
  };
  const Expected after[] = {
      {15, 146, 20, 50, 50, "X(050)", "", 283},
      {2, 149, 360, 10, 10, "", "1 de 2    ", 333},
      {20, 176, 125, 11, 9, "ZZZ ZZZ ZZ9", "", 343},
      {1, 176, 320, 11, 9, "ZZZ ZZZ ZZ9", "", 352},
  };
  ASSERT_EQ(panel_.fieldCount, 4 + 30 + 4);
  auto check = [&](const PanelField& field, const Expected& want) {
    SCOPED_TRACE(want.id);
    EXPECT_EQ(field.id, want.id);
    EXPECT_FALSE(field.barCell);
    EXPECT_EQ(field.vertical, want.vertical);
    EXPECT_EQ(field.horizontal, want.horizontal);
    EXPECT_EQ(field.shownLength, want.shown);
    EXPECT_EQ(field.valueLength, want.value);
    EXPECT_EQ(textOf(field.format, field.formatLength), want.format);
    EXPECT_EQ(textOf(field.initial, field.initialLength), want.initial);
    EXPECT_EQ(field.valueOffset, want.valueOffset);
    EXPECT_EQ(field.attributeOffset, 0);
  };
  for (int i = 0; i < 4; ++i) check(panel_.fields[i], expected[i]);
  for (int i = 0; i < 4; ++i) check(panel_.fields[34 + i], after[i]);
  const PanelField& last = panel_.fields[37];
  EXPECT_EQ(last.valueOffset + last.valueLength, 361);
}

TEST_F(PanelDefinitionTest, BarCellsCarryTheirIdsPositionsAndAttributeBytes) {
  const int ids[30] = {3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 16, 17, 18,
                       19, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34};
  for (int cell = 1; cell <= 30; ++cell) {
    SCOPED_TRACE(cell);
    const PanelField& field = panel_.fields[3 + cell];
    EXPECT_EQ(field.id, ids[cell - 1]);
    EXPECT_TRUE(field.barCell);
    EXPECT_EQ(field.vertical, 95);
    EXPECT_EQ(field.horizontal, 30 + 12 * (cell - 1));
    EXPECT_EQ(field.shownLength, 1);
    EXPECT_EQ(field.valueLength, 1);
    EXPECT_EQ(textOf(field.format, field.formatLength), "X(001)");
    EXPECT_EQ(field.valueOffset, 252 + cell);
    EXPECT_EQ(field.attributeOffset, 364 + cell);
  }
  EXPECT_EQ(panel_.fields[4].horizontal, 30);
  EXPECT_EQ(panel_.fields[33].horizontal, 378);
  EXPECT_EQ(textOf(panel_.fields[4].initial, panel_.fields[4].initialLength), "X");
  EXPECT_EQ(findFieldIndex(panel_, 15), 34);
  EXPECT_EQ(findFieldIndex(panel_, 20), 36);
  EXPECT_EQ(findFieldIndex(panel_, 99), -1);
}

TEST_F(PanelDefinitionTest, FillingTwiceGivesTheSameBytes) {
  unsigned char again[kPanelDefinitionSize];
  converter::screen::fillPanelDefinition(again);
  EXPECT_EQ(std::memcmp(again, record_, kPanelDefinitionSize), 0);
}

TEST(PanelFormatTest, RecordsThatAreNoPanelAreRefused) {
  unsigned char record[kPanelDefinitionSize];
  Panel panel;
  converter::screen::fillPanelDefinition(record);
  record[offsetof(dunax::layouts::PanelDefinitionRecord, formatMark)] = 'X';
  EXPECT_EQ(readPanelDefinition(record, panel), PanelStatus::NoMark);

  converter::screen::fillPanelDefinition(record);
  record[kDefinitionEntriesOffset] = 'Q';
  EXPECT_EQ(readPanelDefinition(record, panel), PanelStatus::BadEntry);

  converter::screen::fillPanelDefinition(record);
  record[offsetof(dunax::layouts::PanelDefinitionRecord, width)] = 0;
  record[offsetof(dunax::layouts::PanelDefinitionRecord, width) + 1] = 0;
  EXPECT_EQ(readPanelDefinition(record, panel), PanelStatus::BadSize);

  // More static texts than a panel holds.
  converter::screen::fillPanelDefinition(record);
  std::memset(record + kDefinitionEntriesOffset, 0, kPanelDefinitionSize - kDefinitionEntriesOffset);
  for (std::size_t at = kDefinitionEntriesOffset; at + 6 <= kPanelDefinitionSize; at += 6) {
    record[at] = 'T';
  }
  EXPECT_EQ(readPanelDefinition(record, panel), PanelStatus::TooMany);

  // Fields whose initial content runs past the end of the record, with no end entry.
  std::memset(record + kDefinitionEntriesOffset, 0, kPanelDefinitionSize - kDefinitionEntriesOffset);
  record[kPanelDefinitionSize - 3] = 'T';
  record[kDefinitionEntriesOffset] = 'T';
  record[kDefinitionEntriesOffset + 5] = 80;
  for (std::size_t at = kDefinitionEntriesOffset + 86; at < kPanelDefinitionSize; ++at) record[at] = 'T';
  EXPECT_NE(readPanelDefinition(record, panel), PanelStatus::Ok);
}

TEST(PanelFormatTest, ValuesBeyondTheDataRecordAreRefused) {
  unsigned char record[kPanelDefinitionSize];
  Panel panel;
  converter::screen::fillPanelDefinition(record);
  // The first entry after the 8 static texts is EMPRESA; make its value 255 bytes long twice.
  ASSERT_EQ(readPanelDefinition(record, panel), PanelStatus::Ok);
  std::size_t at = kDefinitionEntriesOffset;
  for (int i = 0; i < 8; ++i) at += 6 + record[at + 5];
  ASSERT_EQ(record[at], 'F');
  record[at + 9] = 250;  // value length of EMPRESA
  EXPECT_EQ(readPanelDefinition(record, panel), PanelStatus::ValuesTooLong);
}

}  // namespace
}  // namespace dunax::sp2
