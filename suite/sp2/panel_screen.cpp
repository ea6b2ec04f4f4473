// Laying a panel out on a terminal, drawing it into a grid of cells, and the terminal text that
// shows a grid.
#include "suite/sp2/panel_screen.h"

#include <algorithm>
#include <cstring>

#include "platform/text_encoding.h"
#include "suite/sp2/edit_format.h"

namespace dunax::sp2 {
namespace {

constexpr int kMostRowsUsed = 30;
constexpr int kMostColumnsUsed = 100;
constexpr int kWidestBarCell = 4;
constexpr const char kLightShade[] = "\xE2\x96\x91";  // ░, a blank bar cell not filled

const char* styleSequence(CellStyle style) {
  switch (style) {
    case CellStyle::Title:
    case CellStyle::BarFilled:
      return "\x1b[0;7m";
    case CellStyle::Value:
      return "\x1b[0;1m";
    case CellStyle::Plain:
    case CellStyle::BarEmpty:
      break;
  }
  return "\x1b[0m";
}

void appendMoveTo(int row, int column, std::string& out) {
  out += "\x1b[" + std::to_string(row + 1) + ";" + std::to_string(column + 1) + "H";
}

void appendCells(const ScreenGrid& grid, int row, int first, int last, std::string& out) {
  appendMoveTo(row, first, out);
  bool styled = false;
  CellStyle current = CellStyle::Plain;
  for (int column = first; column <= last; ++column) {
    const Cell& cell = grid.at(row, column);
    if (!styled || cell.style != current) {
      out += styleSequence(cell.style);
      current = cell.style;
      styled = true;
    }
    if (cell.style == CellStyle::BarEmpty && cell.character == ' ') {
      out += kLightShade;
    } else {
      platform::appendUtf8FromWindows1252(&cell.character, 1, out);
    }
  }
  out += "\x1b[0m";
}

}  // namespace

void ScreenGrid::resize(int rows, int columns) {
  rows_ = std::max(rows, 0);
  columns_ = std::max(columns, 0);
  cells_.assign(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_), Cell{});
}

void ScreenGrid::clear() { std::fill(cells_.begin(), cells_.end(), Cell{}); }

void ScreenGrid::put(int row, int column, const char* text, int length, CellStyle style) {
  if (row < 0 || row >= rows_) return;
  for (int i = 0; i < length; ++i) {
    int c = column + i;
    if (c < 0) continue;
    if (c >= columns_) break;
    char character = text[i] == '\0' ? ' ' : text[i];
    at(row, c) = Cell{character, style};
  }
}

void layOutPanel(const Panel& panel, int rows, int columns, PanelLayout& layout) {
  layout.rows = std::max(rows, 1);
  layout.columns = std::max(columns, 1);
  int usedRows = std::min(layout.rows, kMostRowsUsed);
  int usedColumns = std::min(layout.columns, kMostColumnsUsed);
  int left = (layout.columns - usedColumns) / 2;
  int bodyRows = std::max(usedRows - 2, 0);
  auto rowOf = [&](int vertical) {
    int row = 1 + static_cast<int>(static_cast<long>(std::max(vertical, 0)) * bodyRows / panel.height);
    return std::clamp(row, 0, layout.rows - 1);
  };
  auto placeOf = [&](int vertical, int horizontal, int width) {
    PanelLayout::Place place;
    place.row = rowOf(vertical);
    place.width = std::min(width, layout.columns);
    place.column =
        left + static_cast<int>(static_cast<long>(std::max(horizontal, 0)) * usedColumns / panel.width);
    place.column = std::max(0, std::min(place.column, layout.columns - place.width));
    return place;
  };
  for (int i = 0; i < panel.textCount; ++i) {
    const PanelText& text = panel.texts[i];
    layout.texts[i] = placeOf(text.vertical, text.horizontal, text.length);
  }
  for (int i = 0; i < panel.fieldCount; ++i) {
    const PanelField& field = panel.fields[i];
    layout.fields[i] = placeOf(field.vertical, field.horizontal, field.shownLength);
  }
  // The cells of a bar stand at an even step on their row, each as wide as the step.
  for (int first = 0; first < panel.fieldCount;) {
    int end = first;
    while (end < panel.fieldCount && panel.fields[end].barCell &&
           layout.fields[end].row == layout.fields[first].row) {
      ++end;
    }
    int count = end - first;
    if (count >= 2) {
      int span = layout.fields[end - 1].column - layout.fields[first].column;
      int step = std::clamp(span / (count - 1), 1, kWidestBarCell);
      for (int i = first; i < end; ++i) {
        PanelLayout::Place& place = layout.fields[i];
        place.column = std::min(layout.fields[first].column + (i - first) * step, layout.columns - 1);
        place.width = std::min(step, layout.columns - place.column);
      }
    }
    first = count > 0 ? end : first + 1;
  }
}

void drawField(const Panel& panel, const PanelLayout& layout, int fieldIndex,
               const unsigned char* record, ScreenGrid& grid) {
  if (fieldIndex < 0 || fieldIndex >= panel.fieldCount) return;
  const PanelField& field = panel.fields[fieldIndex];
  const PanelLayout::Place& place = layout.fields[fieldIndex];
  char shown[256];
  std::size_t shownLength = static_cast<std::size_t>(std::min(field.shownLength, 255));
  if (record == nullptr) {
    std::memset(shown, ' ', shownLength);
  } else {
    applyEditFormat(field.format, static_cast<std::size_t>(field.formatLength),
                    reinterpret_cast<const char*>(record + field.valueOffset),
                    static_cast<std::size_t>(field.valueLength), shown, shownLength);
  }
  if (field.barCell) {
    bool filled = record != nullptr && field.attributeOffset > 0 &&
                  record[field.attributeOffset] == kFilledAttribute;
    CellStyle style = filled ? CellStyle::BarFilled : CellStyle::BarEmpty;
    char cell[kWidestBarCell + 1];
    std::memset(cell, ' ', sizeof cell);
    if (shownLength > 0) cell[0] = shown[0];
    grid.put(place.row, place.column, cell, std::min(place.width, kWidestBarCell), style);
    return;
  }
  grid.put(place.row, place.column, shown, std::min(place.width, static_cast<int>(shownLength)),
           CellStyle::Value);
}

void drawPanel(const Panel& panel, const PanelLayout& layout, const char* title,
               const unsigned char* record, ScreenGrid& grid) {
  if (grid.rows() != layout.rows || grid.columns() != layout.columns) {
    grid.resize(layout.rows, layout.columns);
  } else {
    grid.clear();
  }
  // The title line: reverse video across the window, the title in the middle.
  std::string line(static_cast<std::size_t>(layout.columns), ' ');
  int titleLength = static_cast<int>(kTitleLength);
  while (titleLength > 0 && (title[titleLength - 1] == ' ' || title[titleLength - 1] == '\0')) {
    --titleLength;
  }
  titleLength = std::min(titleLength, layout.columns);
  int start = (layout.columns - titleLength) / 2;
  std::memcpy(line.data() + start, title, static_cast<std::size_t>(titleLength));
  grid.put(0, 0, line.data(), layout.columns, CellStyle::Title);

  for (int i = 0; i < panel.textCount; ++i) {
    const PanelLayout::Place& place = layout.texts[i];
    grid.put(place.row, place.column, panel.texts[i].text, place.width, CellStyle::Plain);
  }
  for (int i = 0; i < panel.fieldCount; ++i) drawField(panel, layout, i, record, grid);
}

void appendScreenChanges(const ScreenGrid& shown, const ScreenGrid& wanted, bool everything,
                         std::string& out) {
  bool sameSize = shown.rows() == wanted.rows() && shown.columns() == wanted.columns();
  for (int row = 0; row < wanted.rows(); ++row) {
    int first = 0;
    int last = wanted.columns() - 1;
    if (!everything && sameSize) {
      while (first <= last && shown.at(row, first) == wanted.at(row, first)) ++first;
      while (last >= first && shown.at(row, last) == wanted.at(row, last)) --last;
    }
    if (first <= last) appendCells(wanted, row, first, last, out);
  }
}

}  // namespace dunax::sp2
