// Shared by the SP2MF tests: a panel data record filled as the converter fills it, and a host
// double with a clock the test moves, a terminal of fixed size and close requests on demand.
#pragma once

#include <cstring>
#include <deque>
#include <string>

#include "converter/screen/panel_definition.h"
#include "suite/sp2/panel_format.h"
#include "suite/sp2/screen_library.h"

namespace dunax::sp2::testing {

// The characters of one row of a screen (Windows-1252), for reading it back.
inline std::string rowText(const ScreenGrid& grid, int row) {
  std::string text;
  if (row < 0 || row >= grid.rows()) return text;
  for (int c = 0; c < grid.columns(); ++c) text += grid.at(row, c).character;
  return text;
}

// Value offsets of the converter's fields in the panel data record.
using dunax::layouts::PanelDataRecord;
inline constexpr std::size_t kEmpresa = offsetof(PanelDataRecord, empresa);
inline constexpr std::size_t kFichConv = offsetof(PanelDataRecord, fichConv);
inline constexpr std::size_t kTotalFich = offsetof(PanelDataRecord, totalFich);
inline constexpr std::size_t kDspTempo = offsetof(PanelDataRecord, dspTempo);
inline constexpr std::size_t kBarra = offsetof(PanelDataRecord, barra);
inline constexpr std::size_t kNome = offsetof(PanelDataRecord, nome);
inline constexpr std::size_t kDspFase = offsetof(PanelDataRecord, dspFase);
inline constexpr std::size_t kLidos = offsetof(PanelDataRecord, lidos);
inline constexpr std::size_t kEscritos = offsetof(PanelDataRecord, escritos);
inline constexpr std::size_t kBarAttributes = offsetof(PanelDataRecord, barColours);

struct DataRecord {
  unsigned char bytes[kDataRecordSize] = {};
  DataRecord() {
    std::memcpy(bytes + offsetof(dunax::layouts::PanelDataRecord, panelName), "PDUNAXD ", 8);
    bytes[offsetof(PanelDataRecord, displayMode)] = dunax::layouts::kDisplayAndReturnKey;
    put(kDspFase, "1 de 2    ", 10);
    put(kNome, "Em Pesquisa ...", 50);
  }
  void put(std::size_t at, const char* text, std::size_t width) {
    std::memset(bytes + at, ' ', width);
    std::memcpy(bytes + at, text, std::min(std::strlen(text), width));
  }
  // Writes a 9-digit count.
  void count(std::size_t at, long value) {
    for (int i = 8; i >= 0; --i) {
      bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>('0' + value % 10);
      value /= 10;
    }
  }
  // Fills cells 1..filled of the bar and the percentage cells 13-16.
  void bar(int filled, const char* percent) {
    std::memset(bytes + kBarra, ' ', 30);
    std::memcpy(bytes + kBarra + 12, percent, 4);
    for (int cell = 1; cell <= 30; ++cell) {
      bytes[kBarAttributes + static_cast<std::size_t>(cell - 1)] = cell <= filled ? 20 : 0;
    }
  }
  int keyCode() const { return readBigEndian16(bytes + offsetof(dunax::layouts::PanelDataRecord, keyCode)); }
};

class FakeHost final : public ScreenHost {
 public:
  bool terminal = true;
  ScreenSize screenSize{24, 80};
  bool resized = false;
  std::int64_t clock = 1'000'000'000;
  std::deque<Request> requests;
  std::string written;  // everything written to the terminal
  int writes = 0;
  int opens = 0;
  int closes = 0;
  std::string restoreText;

  bool openScreen(const std::string& restore) override {
    ++opens;
    restoreText = restore;
    return terminal;
  }
  void closeScreen() override { ++closes; }
  ScreenSize size() override { return screenSize; }
  bool sizeChanged() override {
    bool was = resized;
    resized = false;
    return was;
  }
  bool write(const std::string& text) override {
    written += text;
    ++writes;
    return true;
  }
  std::int64_t now() override { return clock; }
  Request takeRequest() override {
    if (requests.empty()) return Request::None;
    Request request = requests.front();
    requests.pop_front();
    return request;
  }
};

// Calls a library function with a code, as the converter passes it.
inline int callFunction(ScreenLibrary& library, int function, unsigned char* record) {
  return library.call(function, record);
}

// The converter's window set-up: 128, 0, 34, 33 with title, 19 with the record.
inline void setUpWindow(ScreenLibrary& library, DataRecord& data, const char* title) {
  unsigned char definition[kPanelDefinitionSize];
  converter::screen::fillPanelDefinition(definition);
  library.call(layouts::screen_function::kDefinePanel, definition);
  unsigned char window[dunax::layouts::kWindowRecordLength] = {};
  std::memcpy(window + offsetof(dunax::layouts::WindowRecord, panelName), "PDUNAXD ", 8);
  library.call(layouts::screen_function::kOpenWindow, window);
  std::memcpy(window + offsetof(dunax::layouts::WindowRecord, windowName), "PDUNAXD ", 8);
  library.call(layouts::screen_function::kReadWindow, window);
  std::memset(window + offsetof(dunax::layouts::WindowRecord, title), ' ', kTitleLength);
  std::memcpy(window + offsetof(dunax::layouts::WindowRecord, title), title, std::strlen(title));
  library.call(layouts::screen_function::kApplyWindow, window);
  library.call(layouts::screen_function::kDisplayPanel, data.bytes);
}

inline void refresh(ScreenLibrary& library, int fieldId) {
  unsigned char record[dunax::layouts::kFieldRefreshLength] = {};
  putBigEndian16(record + offsetof(dunax::layouts::FieldRefreshRecord, fieldId), fieldId);
  library.call(layouts::screen_function::kRefreshField, record);
}

}  // namespace dunax::sp2::testing
