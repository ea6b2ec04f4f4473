// The screen library's functions as one object: the panels it knows, the open window, the panel
// data record it keeps, close requests turned into key codes, and drawing throttled so that a
// program refreshing its counters for every record is not slowed. The process's terminal,
// clock and signals are reached through a ScreenHost, which tests replace.
#pragma once

#include <cstdint>
#include <string>

#include "layouts/screen_functions.h"
#include "suite/sp2/panel_format.h"
#include "suite/sp2/panel_screen.h"

namespace dunax::sp2 {

// Return codes.
inline constexpr int kDone = 0;
inline constexpr int kUnknownFunction = 1;
inline constexpr int kBadPanelDefinition = 2;
inline constexpr int kUnknownPanel = 3;
inline constexpr int kNoPanelShown = 4;
inline constexpr int kUnknownField = 5;

// The shortest time between two redraws: at most 20 a second.
inline constexpr std::int64_t kRedrawIntervalNanoseconds = 50'000'000;

struct ScreenSize {
  int rows;
  int columns;
};

// What the library needs from the process it runs in.
class ScreenHost {
 public:
  enum class Request { None, Interrupt, Terminate };
  virtual ~ScreenHost() = default;
  // Takes over the terminal for a window (quiet keys, close-request signals); restoreText puts
  // the terminal back when the process is ended by a signal. Returns true when the window can
  // be drawn (there is a terminal); the close requests are watched either way.
  virtual bool openScreen(const std::string& restoreText) = 0;
  // Gives the terminal back: the key mode and the signal handlers that openScreen found.
  virtual void closeScreen() = 0;
  virtual ScreenSize size() = 0;
  // True when the terminal's size changed since the last call.
  virtual bool sizeChanged() = 0;
  // Writes to the terminal. Returns false when it is gone.
  virtual bool write(const std::string& text) = 0;
  // Nanoseconds on a monotonic clock.
  virtual std::int64_t now() = 0;
  // The oldest close request not taken yet, which is then forgotten.
  virtual Request takeRequest() = 0;
};

class ScreenLibrary {
 public:
  explicit ScreenLibrary(ScreenHost& host) : host_(host) {}

  // Carries out one function on its parameter record. Returns kDone or one of the codes above.
  int call(int function, unsigned char* record);

  // Puts the terminal back (last state drawn first) when a window is open; for the end of the
  // process.
  void shutDown();

  // For tests: how many times the window was drawn, and what it shows now.
  int drawCount() const { return drawCount_; }
  const ScreenGrid& shownScreen() const { return shown_; }

 private:
  struct KnownPanel {
    bool used = false;
    Panel panel;
  };
  static constexpr int kMaxPanels = 4;

  int definePanel(unsigned char* record);
  int openWindow(unsigned char* record);
  int readWindow(unsigned char* record);
  int applyWindow(unsigned char* record);
  int fullDisplay(unsigned char* record);
  int refreshField(unsigned char* record);
  int closePanel(unsigned char* record);
  int closeWindow(unsigned char* record);
  // The defined panel of that name (kNameLength bytes); nullptr when there is none.
  KnownPanel* findPanel(const void* name);
  // The index of the field id in the open window's panel, -1 when it has none. The last two
  // ids asked for are remembered: a program refreshes the same few counters again and again.
  int fieldIndex(int id);
  void forgetFieldIndexes();
  // Draws what changed when the last redraw is long enough ago (or always with force).
  void drawIfDue(bool force);
  void draw();

  ScreenHost& host_;
  KnownPanel panels_[kMaxPanels] = {};
  const Panel* windowPanel_ = nullptr;  // the panel of the open window; nullptr when none
  bool windowOpen_ = false;
  bool drawing_ = false;                // the open window is drawn on a terminal
  char title_[kTitleLength] = {};
  unsigned char* record_ = nullptr;     // the panel data record of the last full display
  bool everythingPending_ = false;      // a full display (or a title) is not drawn yet
  std::uint64_t fieldsPending_ = 0;     // fields refreshed since the last redraw, by index
  bool anythingPending_ = false;
  struct FieldLookup {
    bool known = false;
    int id = 0;
    int index = -1;
  };
  FieldLookup lookups_[2];
  int nextLookup_ = 0;
  bool drawnOnce_ = false;
  std::int64_t lastDraw_ = 0;
  int drawCount_ = 0;
  PanelLayout layout_;
  ScreenGrid wanted_;
  ScreenGrid shown_;
};

}  // namespace dunax::sp2
