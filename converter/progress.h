// The progress shown in the window: the file's place in the manager's run with percentage and
// bar, the remaining-time sentence, and the running counts of records read and written.
#pragma once

#include <cstdint>
#include <string_view>

#include "converter/run_parameter.h"
#include "converter/screen/screen_library.h"

namespace dunax::converter {

class Interruption;

inline constexpr std::size_t kTimeTextLength = sizeof(layouts::PanelDataRecord::dspTempo);
inline constexpr unsigned char kFilledCellColour = layouts::kFilledBarColour;

// Builds the 40-character remaining-time sentence from the estimate's days (3 characters),
// hours, minutes and seconds (2 each) into out.
void buildTimeText(std::string_view days, std::string_view hours, std::string_view minutes,
                   std::string_view seconds, char out[kTimeTextLength]);

// The percentage and the number of bar cells for file number of total: (number x 100) /
// total and (number x 30) / total, integer parts. valid is false when total is zero (nothing
// is computed then).
struct PlaceInRun {
  bool valid;
  unsigned percentage;  // the last three digits are shown
  std::uint64_t cells;  // cells 1 to n are coloured when 1 <= n <= 30
};
PlaceInRun computePlaceInRun(std::string_view number, std::string_view total);

// Writes value's last nine decimal digits into out.
void putNineDigits(char* out, std::uint64_t value);

// Adds one to the nine decimal digits at out (999999999 becomes 000000000), so that after
// putNineDigits(out, v) it leaves what putNineDigits(out, v + 1) would.
void incrementNineDigits(char* out);

class Progress {
 public:
  Progress(screen::ScreenLibrary& screen, Interruption& interruption)
      : screen_(screen), interruption_(interruption) {}

  // Fills the panel from the run parameter (name, number and total, percentage and bar, time
  // text) and shows it in full. Called once per run.
  void fillFromRunParameter(const RunParameter& parameter);

  // The progress step after every record and at the start of an attempt: LIDOS and ESCRITOS
  // take the counts' last nine digits; the whole panel is shown when LIDOS ends in "00",
  // otherwise only the two counters are redrawn; then the interruption test runs.
  void step(std::uint64_t lidos, std::uint64_t escritos);

 private:
  // Puts count into field, a 9-digit field of the panel data record; shown is the count the
  // field holds already (kNoCountShown at first). A count one above it costs one carry.
  void putCount(char* field, std::uint64_t count, std::uint64_t& shown);

  static constexpr std::uint64_t kNoCountShown = ~std::uint64_t{0};
  screen::ScreenLibrary& screen_;
  Interruption& interruption_;
  std::uint64_t shownLidos_ = kNoCountShown;
  std::uint64_t shownEscritos_ = kNoCountShown;
};

}  // namespace dunax::converter
