// Fuzz target: the screen library SP2MF.so as a program calls it, on a terminal that is not
// there (a host that takes what is written and answers with fuzzed sizes, times and close
// requests): the panel definition record of function 128 read by the panel-format parser, then
// fuzzed sequences of window, display, field-refresh and close functions on the records of the
// sizes the callers pass.
//
// Input: 3672 bytes of panel definition record, 437 bytes of panel data record (shorter parts
// are padded with zero bytes), then one byte per step: the low 3 bits choose the function, the
// rest feed the host (size change, time step, close request) and the field id.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "suite/sp2/panel_format.h"
#include "suite/sp2/screen_library.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace dunax::sp2;
namespace functions = dunax::layouts::screen_function;

constexpr std::size_t kFieldRefreshSize = 10157;
constexpr std::size_t kMostSteps = 64;

class FuzzHost : public ScreenHost {
 public:
  bool openScreen(const std::string& /*restoreText*/) override { return drawable; }
  void closeScreen() override {}
  ScreenSize size() override { return current; }
  bool sizeChanged() override {
    bool changed = pendingSizeChange;
    pendingSizeChange = false;
    return changed;
  }
  bool write(const std::string& text) override {
    written += text.size();
    return !gone;
  }
  std::int64_t now() override { return clock; }
  Request takeRequest() override {
    Request taken = pending;
    pending = Request::None;
    return taken;
  }

  bool drawable = true;
  bool gone = false;
  bool pendingSizeChange = false;
  ScreenSize current{25, 80};
  std::int64_t clock = 0;
  Request pending = Request::None;
  std::size_t written = 0;
};

void take(const std::uint8_t*& data, std::size_t& size, unsigned char* area, std::size_t width) {
  std::memset(area, 0, width);
  std::size_t n = size < width ? size : width;
  std::memcpy(area, data, n);
  data += n;
  size -= n;
}

bool isKnownResult(int result) { return result >= kDone && result <= kUnknownField; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static unsigned char definition[kPanelDefinitionSize];
  static unsigned char panelData[kDataRecordSize];
  static unsigned char window[dunax::layouts::kWindowRecordLength];
  static unsigned char refresh[kFieldRefreshSize];
  static unsigned char closePanel[10];
  static unsigned char closeWindow[2];
  take(data, size, definition, sizeof definition);
  take(data, size, panelData, sizeof panelData);

  // The parser on its own: a panel it accepts keeps within its limits.
  static Panel panel;
  if (readPanelDefinition(definition, panel) == PanelStatus::Ok) {
    DUNAX_FUZZ_CHECK(panel.textCount >= 0 && panel.textCount <= kMaxTexts);
    DUNAX_FUZZ_CHECK(panel.fieldCount >= 0 && panel.fieldCount <= kMaxFields);
    DUNAX_FUZZ_CHECK(panel.width > 0 && panel.height > 0);
    for (int i = 0; i < panel.fieldCount; ++i) {
      const PanelField& field = panel.fields[i];
      DUNAX_FUZZ_CHECK(field.valueLength >= 0 && field.valueOffset >= 0);
      DUNAX_FUZZ_CHECK(static_cast<std::size_t>(field.valueOffset + field.valueLength) <=
                       kDataRecordSize);
      DUNAX_FUZZ_CHECK(field.attributeOffset >= 0 &&
                       static_cast<std::size_t>(field.attributeOffset) < kDataRecordSize);
      DUNAX_FUZZ_CHECK(field.formatLength >= 0 && field.formatLength <= kMaxFormatLength);
      DUNAX_FUZZ_CHECK(field.initialLength >= 0 && field.initialLength <= kMaxInitialLength);
    }
    for (int i = 0; i < panel.textCount; ++i) {
      DUNAX_FUZZ_CHECK(panel.texts[i].length >= 0 && panel.texts[i].length <= kMaxTextLength);
    }
  }

  // The library as a program drives it.
  FuzzHost host;
  ScreenLibrary library(host);
  std::memset(window, 0, sizeof window);
  std::memcpy(window + offsetof(dunax::layouts::WindowRecord, windowName), definition + 2, kNameLength);
  std::memcpy(window + offsetof(dunax::layouts::WindowRecord, panelName), definition + 2, kNameLength);
  std::memset(window + offsetof(dunax::layouts::WindowRecord, title), 'T', kTitleLength);
  std::memcpy(panelData + offsetof(dunax::layouts::PanelDataRecord, panelName), definition + 2, kNameLength);
  std::memset(refresh, 0, sizeof refresh);
  std::memset(closePanel, 0, sizeof closePanel);
  std::memcpy(closePanel + 2, definition + 2, kNameLength);
  std::memset(closeWindow, 0, sizeof closeWindow);

  for (std::size_t step = 0; step < size && step < kMostSteps; ++step) {
    const std::uint8_t byte = data[step];
    host.clock += static_cast<std::int64_t>(byte >> 3) * 7'000'000;
    if ((byte & 0x08) != 0) {
      host.pendingSizeChange = true;
      host.current = ScreenSize{(byte >> 4) * 5 - 10, (byte >> 2) * 3 - 20};  // may be 0 or less
    }
    if ((byte & 0xF0) == 0xF0) host.pending = ScreenHost::Request::Terminate;
    if ((byte & 0xF0) == 0xE0) host.pending = ScreenHost::Request::Interrupt;
    if (byte == 0x77) host.gone = true;
    int result = kDone;
    switch (byte & 0x07) {
      case 0: result = library.call(functions::kDefinePanel, definition); break;
      case 1: result = library.call(functions::kOpenWindow, window); break;
      case 2: result = library.call(functions::kReadWindow, window); break;
      case 3: result = library.call(functions::kApplyWindow, window); break;
      case 4: result = library.call(functions::kDisplayPanel, panelData); break;
      case 5:
        putBigEndian16(refresh + offsetof(dunax::layouts::FieldRefreshRecord, fieldId), byte >> 3);
        result = library.call(functions::kRefreshField, refresh);
        break;
      case 6: result = library.call(functions::kClosePanel, closePanel); break;
      default: result = library.call(functions::kCloseWindow, closeWindow); break;
    }
    DUNAX_FUZZ_CHECK(isKnownResult(result));
    const int key = readBigEndian16(panelData + offsetof(dunax::layouts::PanelDataRecord, keyCode));
    (void)key;
  }
  library.shutDown();
  return 0;
}
