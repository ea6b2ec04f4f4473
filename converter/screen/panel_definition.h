// The progress panel "PDUNAXD" as the converter hands it to the screen library with function
// 128: the constant panel definition record in the library's panel format (texts, the nine
// data fields and the 30 cells of the bar).
#pragma once

#include <cstddef>

#include "layouts/panel_records.h"

namespace dunax::converter::screen {

inline constexpr std::size_t kPanelDefinitionSize = layouts::kPanelDefinitionLength;

// Fills area (kPanelDefinitionSize bytes) with the panel definition record of "PDUNAXD": the
// result positions 0-1 zero, the panel name at 2, then the panel. The record is built once, the
// first time it is asked for; every call copies the same bytes.
void fillPanelDefinition(unsigned char* area);
inline void fillPanelDefinition(layouts::PanelDefinitionRecord& record) {
  fillPanelDefinition(reinterpret_cast<unsigned char*>(&record));
}

}  // namespace dunax::converter::screen
