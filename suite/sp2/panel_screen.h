// The panel on a character screen: where each text and field of a panel lands on a terminal of
// a given size, the screen as a grid of cells drawn from the panel data record, and the
// terminal text (UTF-8 and escape sequences) that brings a terminal from one grid to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "suite/sp2/panel_format.h"

namespace dunax::sp2 {

// How a cell is shown.
enum class CellStyle : std::uint8_t {
  Plain,      // a static text or empty space
  Title,      // the window title line (reverse video)
  Value,      // the value of a data field (bold)
  BarFilled,  // a bar cell whose attribute is kFilledAttribute (reverse video)
  BarEmpty,   // a bar cell shown plain; a blank one shows a light shade
};

// The attribute value of a bar cell shown filled.
inline constexpr unsigned char kFilledAttribute = 20;

struct Cell {
  char character = ' ';  // Windows-1252
  CellStyle style = CellStyle::Plain;
  bool operator==(const Cell&) const = default;
};

// The screen of one window, rows by columns cells.
class ScreenGrid {
 public:
  void resize(int rows, int columns);
  int rows() const { return rows_; }
  int columns() const { return columns_; }
  Cell& at(int row, int column) { return cells_[indexOf(row, column)]; }
  const Cell& at(int row, int column) const { return cells_[indexOf(row, column)]; }
  void clear();
  // Writes text at row and column in the given style, cut at the right edge.
  void put(int row, int column, const char* text, int length, CellStyle style);

 private:
  std::size_t indexOf(int row, int column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column);
  }

  int rows_ = 0;
  int columns_ = 0;
  std::vector<Cell> cells_;
};

// Where the panel's texts and fields stand on a terminal.
struct PanelLayout {
  int rows = 0;
  int columns = 0;
  struct Place {
    int row = 0;
    int column = 0;
    int width = 0;
  };
  Place texts[kMaxTexts];
  Place fields[kMaxFields];
};

// Lays the panel out on a rows by columns terminal: row 0 is the title line; the panel's
// vertical units map onto the rows below it and its horizontal units onto the columns (at most
// 30 rows and 100 columns are used, so that a large terminal keeps the panel together). A text
// or field that would run past the right edge is moved left. The cells of a bar on one row stand
// at an even step from the first, each as wide as the step (1 to 4 columns).
void layOutPanel(const Panel& panel, int rows, int columns, PanelLayout& layout);

// Draws the whole window into grid (resized to the layout): the title line with title (100
// bytes, trailing spaces ignored), the static texts, and every field from the panel data record
// (kDataRecordSize bytes; nullptr draws the fields empty).
void drawPanel(const Panel& panel, const PanelLayout& layout, const char* title,
               const unsigned char* record, ScreenGrid& grid);

// Draws one field (by its index in the panel) from the panel data record into grid.
void drawField(const Panel& panel, const PanelLayout& layout, int fieldIndex,
               const unsigned char* record, ScreenGrid& grid);

// Appends the terminal text that turns a terminal showing shown into one showing wanted (both of
// the same size): only the changed stretch of each row is written. With everything, every row
// is written whole, whatever shown holds (after something else wrote on the terminal).
void appendScreenChanges(const ScreenGrid& shown, const ScreenGrid& wanted, bool everything,
                         std::string& out);

}  // namespace dunax::sp2
