// The converter's panel drawn into a screen grid from a panel data record: the title, the
// static texts, the counters in "ZZZ ZZZ ZZ9", the time text, the bar filled from the attribute
// bytes and the percentage, and the terminal text that shows it.
#include <gtest/gtest.h>

#include <string>

#include "suite/sp2/panel_screen.h"
#include "sp2_test_support.h"

namespace dunax::sp2 {
namespace {

using testing::DataRecord;
using testing::rowText;

class PanelScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsigned char definition[kPanelDefinitionSize];
    converter::screen::fillPanelDefinition(definition);
    ASSERT_EQ(readPanelDefinition(definition, panel_), PanelStatus::Ok);
    std::string title = "Em Convers\xE3o de MfCobol para RmCobol ...";
    title.resize(kTitleLength, ' ');
    std::memcpy(title_, title.data(), kTitleLength);
    data_.count(testing::kFichConv, 5);
    data_.count(testing::kTotalFich, 10);
    data_.put(testing::kDspTempo, "  2 Dias  5 Horas  0 Minutos  7 Segundos", 40);
    data_.put(testing::kNome, "CLIENTES.DAT", 50);
    data_.count(testing::kLidos, 1234567);
    data_.count(testing::kEscritos, 7);
    data_.bar(15, "050%");
  }
  void draw(int rows, int columns) {
    layOutPanel(panel_, rows, columns, layout_);
    drawPanel(panel_, layout_, title_, data_.bytes, grid_);
  }
  // Row and column of text on the grid; {-1, -1} when it is not shown.
  std::pair<int, int> find(const std::string& text) const {
    for (int row = 0; row < grid_.rows(); ++row) {
      std::size_t at = rowText(grid_, row).find(text);
      if (at != std::string::npos) return {row, static_cast<int>(at)};
    }
    return {-1, -1};
  }

  Panel panel_;
  char title_[kTitleLength];
  DataRecord data_;
  PanelLayout layout_;
  ScreenGrid grid_;
};

TEST_F(PanelScreenTest, TitleLineIsReversedAndCentred) {
  draw(24, 80);
  std::string row0 = rowText(grid_, 0);
  std::size_t at = row0.find("Em Convers\xE3o de MfCobol para RmCobol ...");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(at, (80 - 40) / 2);
  for (int c = 0; c < 80; ++c) EXPECT_EQ(grid_.at(0, c).style, CellStyle::Title);
}

TEST_F(PanelScreenTest, StaticTextsAndFieldsFitIn80By24) {
  draw(24, 80);
  EXPECT_EQ(find("Convertendo Ficheiros..."), std::make_pair(2, 5));
  EXPECT_EQ(find("Registos Lidos").first, find("  1 234 567").first);
  EXPECT_EQ(find("Registos Escritos").first, find("          7").first);
  EXPECT_LT(find("Registos Lidos").second, find("  1 234 567").second);
  EXPECT_LT(find("Registos Escritos").second, find("          7").second);
  // "5 de 10" on one line: FICH-CONV, the word "de", TOTAL-FICH.
  int deRow = layout_.texts[3].row;
  std::string line = rowText(grid_, deRow);
  EXPECT_NE(line.find(" de "), std::string::npos);
  EXPECT_NE(line.find("          5"), std::string::npos);
  EXPECT_NE(line.find("         10"), std::string::npos);
  EXPECT_NE(find("Tempo Estimado:").first, -1);
  EXPECT_NE(find("2 Dias  5 Horas  0 Minutos  7 Segundos").first, -1);
  EXPECT_EQ(find("Fase").first, find("1 de 2").first);
  EXPECT_NE(find("CLIENTES.DAT").first, -1);
  EXPECT_NE(find("Ficheiro").first, -1);
  EXPECT_NE(find("Empresa").first, -1);
  for (int row = 0; row < 24; ++row) EXPECT_EQ(rowText(grid_, row).size(), 80u);
}

TEST_F(PanelScreenTest, BarIsFilledFromTheAttributesAndShowsThePercentage) {
  draw(24, 80);
  // The bar's row holds the percentage cells.
  int barRow = layout_.fields[4].row;
  EXPECT_EQ(layout_.fields[33].row, barRow);
  int filled = 0;
  int empty = 0;
  for (int c = 0; c < 80; ++c) {
    if (grid_.at(barRow, c).style == CellStyle::BarFilled) ++filled;
    if (grid_.at(barRow, c).style == CellStyle::BarEmpty) ++empty;
  }
  // 15 of 30 cells filled: the filled columns end where cell 16 starts.
  EXPECT_GT(filled, 15);
  EXPECT_EQ(grid_.at(barRow, layout_.fields[4].column).style, CellStyle::BarFilled);
  EXPECT_EQ(grid_.at(barRow, layout_.fields[18].column).style, CellStyle::BarFilled);  // cell 15
  EXPECT_EQ(grid_.at(barRow, layout_.fields[19].column).style, CellStyle::BarEmpty);   // cell 16
  EXPECT_EQ(grid_.at(barRow, layout_.fields[33].column).style, CellStyle::BarEmpty);   // cell 30
  EXPECT_GT(empty, 0);
  // Cells 13-16 show "050%", one character at the start of each cell.
  std::string percent;
  for (int cell = 13; cell <= 16; ++cell) {
    percent += grid_.at(barRow, layout_.fields[3 + cell].column).character;
  }
  EXPECT_EQ(percent, "050%");
  // The cells join into one bar from cell 1 to cell 30.
  for (int c = layout_.fields[4].column; c < layout_.fields[33].column; ++c) {
    CellStyle style = grid_.at(barRow, c).style;
    EXPECT_TRUE(style == CellStyle::BarFilled || style == CellStyle::BarEmpty) << c;
  }
}

TEST_F(PanelScreenTest, NoColourMeansNoFilledCell) {
  data_.bar(0, "000%");
  draw(24, 80);
  int barRow = layout_.fields[4].row;
  for (int c = 0; c < 80; ++c) EXPECT_NE(grid_.at(barRow, c).style, CellStyle::BarFilled);
}

TEST_F(PanelScreenTest, OneFieldIsRedrawnAlone) {
  draw(24, 80);
  data_.count(testing::kLidos, 2000000);
  data_.put(testing::kNome, "OUTRO.DAT", 50);
  drawField(panel_, layout_, findFieldIndex(panel_, 20), data_.bytes, grid_);
  EXPECT_NE(find("  2 000 000").first, -1);
  EXPECT_NE(find("CLIENTES.DAT").first, -1);  // NOME was not refreshed
  EXPECT_EQ(find("OUTRO.DAT").first, -1);
}

TEST_F(PanelScreenTest, SmallAndLargeTerminalsKeepEverythingOnScreen) {
  draw(12, 40);
  EXPECT_NE(find("Convertendo Ficheiros...").first, -1);
  EXPECT_NE(find("  1 234 567").first, -1);
  draw(60, 250);
  std::pair<int, int> text = find("Convertendo Ficheiros...");
  EXPECT_GT(text.second, 60);  // the panel is centred, not spread over 250 columns
  EXPECT_LT(find("Registos Lidos").first, 30);
}

TEST_F(PanelScreenTest, TerminalTextIsUtf8AndWritesOnlyWhatChanged) {
  draw(24, 80);
  ScreenGrid blank;
  blank.resize(24, 80);
  std::string everything;
  appendScreenChanges(blank, grid_, true, everything);
  EXPECT_NE(everything.find("Em Convers\xC3\xA3o de MfCobol"), std::string::npos);
  EXPECT_NE(everything.find("\x1b[1;1H"), std::string::npos);
  EXPECT_NE(everything.find("\xE2\x96\x91"), std::string::npos);  // a blank empty bar cell

  ScreenGrid before = grid_;
  data_.count(testing::kEscritos, 8);
  drawField(panel_, layout_, findFieldIndex(panel_, 1), data_.bytes, grid_);
  std::string changes;
  appendScreenChanges(before, grid_, false, changes);
  const PanelLayout::Place& escritos = layout_.fields[findFieldIndex(panel_, 1)];
  std::string move = "\x1b[" + std::to_string(escritos.row + 1) + ";" +
                     std::to_string(escritos.column + escritos.width) + "H";
  EXPECT_EQ(changes, move + "\x1b[0;1m8\x1b[0m");
}

}  // namespace
}  // namespace dunax::sp2
