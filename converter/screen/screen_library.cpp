// The screen library calls: each is one call of SP2MF by name with a 2-byte function code and
// one parameter record.
#include "converter/screen/screen_library.h"

#include <cstring>

#include "converter/screen/panel_definition.h"
#include "converter/texts.h"

namespace dunax::converter::screen {

using layouts::kProgressPanelName;
namespace functions = layouts::screen_function;

platform::Status ScreenLibrary::setUpWindow(char direction) {
  fillPanelDefinition(definition_);
  if (platform::Expected<int> defined = library_.call(functions::kDefinePanel, &definition_);
      !defined) {
    return defined.status();
  }

  std::memset(layouts::bytesOf(window_) + layouts::kWindowRecordClearedFrom, 0,
              sizeof window_ - layouts::kWindowRecordClearedFrom);
  layouts::putPadded(window_.panelName, kProgressPanelName);
  callFunction(functions::kOpenWindow, &window_);

  layouts::putPadded(window_.windowName, kProgressPanelName);
  callFunction(functions::kReadWindow, &window_);

  layouts::putPadded(window_.title, direction == 'X' ? texts::kTitleToMf : texts::kTitleToRm);
  callFunction(functions::kApplyWindow, &window_);

  std::memset(layouts::bytesOf(panel_) + layouts::kPanelDataClearedFrom, 0,
              sizeof panel_ - layouts::kPanelDataClearedFrom);
  layouts::putPadded(panel_.panelName, kProgressPanelName);
  panel_.displayMode[0] = layouts::kDisplayAndReturnKey;
  layouts::putPadded(panel_.dspFase, direction == 'X' ? texts::kPhaseToMf : texts::kPhaseToRm);
  layouts::putPadded(panel_.nome, texts::kSearching);
  displayPanel();
  return {};
}

void ScreenLibrary::displayPanel() { callFunction(functions::kDisplayPanel, &panel_); }

void ScreenLibrary::refreshField(std::int16_t fieldId) {
  layouts::putBigEndian16(refresh_.fieldId, fieldId);
  callFunction(functions::kRefreshField, &refresh_);
}

void ScreenLibrary::endWindow() {
  layouts::PanelCloseRecord panelClose{};
  layouts::putPadded(panelClose.panelName, kProgressPanelName);
  callFunction(functions::kClosePanel, &panelClose);
  layouts::WindowCloseRecord windowClose{};
  callFunction(functions::kCloseWindow, &windowClose);
}

}  // namespace dunax::converter::screen
