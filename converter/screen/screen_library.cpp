// The screen library calls: each is one call of SP2MF by name with a 2-byte function code and
// one parameter record.
#include "converter/screen/screen_library.h"

#include <cstring>

#include "converter/screen/panel_definition.h"
#include "converter/texts.h"

namespace dunax::converter::screen {
namespace {

void putText(unsigned char* at, const char* text, std::size_t width) {
  std::size_t length = std::strlen(text);
  if (length > width) length = width;
  std::memset(at, ' ', width);
  std::memcpy(at, text, length);
}

}  // namespace

void ScreenLibrary::setUpWindow(char direction) {
  fillPanelDefinition(definition_);
  callFunction(functions::kDefinePanel, definition_);

  std::memset(window_.bytes + WindowRecord::kClearFrom, 0,
              WindowRecord::kLength - WindowRecord::kClearFrom);
  std::memcpy(window_.bytes + WindowRecord::kPanelName, kPanelName, 8);
  callFunction(functions::kOpenWindow, window_.bytes);

  std::memcpy(window_.bytes + WindowRecord::kWindowName, kPanelName, 8);
  callFunction(functions::kReadWindow, window_.bytes);

  putText(window_.bytes + WindowRecord::kTitle,
          direction == 'X' ? texts::kTitleToMf : texts::kTitleToRm, WindowRecord::kTitleLength);
  callFunction(functions::kApplyWindow, window_.bytes);

  std::memset(panel_.bytes + PanelDataRecord::kClearFrom, 0,
              PanelDataRecord::kLength - PanelDataRecord::kClearFrom);
  std::memcpy(panel_.bytes + PanelDataRecord::kPanelName, kPanelName, 8);
  panel_.bytes[PanelDataRecord::kLetterK] = 'k';
  putText(panel_.bytes + PanelDataRecord::kDspFase,
          direction == 'X' ? texts::kPhaseToMf : texts::kPhaseToRm, 10);
  putText(panel_.bytes + PanelDataRecord::kNome, texts::kSearching, 50);
  displayPanel();
}

void ScreenLibrary::displayPanel() { callFunction(functions::kDisplayPanel, panel_.bytes); }

void ScreenLibrary::refreshField(std::int16_t fieldId) {
  putBigEndian16(refresh_.bytes + FieldRefreshRecord::kFieldId, fieldId);
  callFunction(functions::kRefreshField, refresh_.bytes);
}

void ScreenLibrary::endWindow() {
  PanelCloseRecord panelClose{};
  std::memcpy(panelClose.bytes + PanelCloseRecord::kPanelName, kPanelName, 8);
  callFunction(functions::kClosePanel, panelClose.bytes);
  WindowCloseRecord windowClose{};
  callFunction(functions::kCloseWindow, windowClose.bytes);
}

}  // namespace dunax::converter::screen
