// The converter's calls of the screen library SP2MF: the window set-up with the panel
// "PDUNAXD", the full display and the light refresh of one field, and the window end.
#pragma once

#include <cstdint>

#include "converter/screen/panel_definition.h"
#include "converter/screen/screen_program.h"
#include "layouts/byte_fields.h"
#include "layouts/panel_records.h"
#include "layouts/screen_functions.h"

namespace dunax::converter::screen {

class ScreenLibrary {
 public:
  explicit ScreenLibrary(platform::ScreenProgram& program) : library_(program) {}

  // Defines the panel, opens the window with the direction's title, and shows the panel with
  // the phase and "Em Pesquisa ..." (functions 128, 0, 34, 33, 19). Returns success, or the
  // failure (NotFound with the loader's words) when the library cannot be reached: then
  // nothing after the panel's definition is called.
  platform::Status setUpWindow(char direction);

  // Shows the whole panel data record (function 19); the key code comes back in it.
  void displayPanel();

  // Redraws one field with the value the panel data record holds now (function 58).
  void refreshField(std::int16_t fieldId);

  // Closes the panel and then the window (functions 15 and 12).
  void endWindow();

  layouts::PanelDataRecord& panel() { return panel_; }
  std::int16_t keyCode() const { return layouts::readBigEndian16(panel_.keyCode); }
  void setKeyCode(std::int16_t key) { layouts::putBigEndian16(panel_.keyCode, key); }

 private:
  // The library's return codes are not looked at: the window is the run's view, not its work.
  void callFunction(std::int16_t function, void* record) {
    static_cast<void>(library_.call(function, record));
  }

  platform::ScreenProgram& library_;
  layouts::PanelDefinitionRecord definition_{};
  layouts::WindowRecord window_{};
  layouts::PanelDataRecord panel_{};
  layouts::FieldRefreshRecord refresh_{};
};

}  // namespace dunax::converter::screen
