// The screen library's functions: panels, the window, full displays and field refreshes drawn
// at most kRedrawIntervalNanoseconds apart, and close requests delivered as key codes.
#include "suite/sp2/screen_library.h"

#include <cstring>

namespace dunax::sp2 {
namespace {

// Puts the terminal back: attributes reset, cursor shown, below the panel on a fresh line.
constexpr const char kRestoreText[] = "\x1b[0m\x1b[?25h\x1b[999;1H\r\n";
constexpr const char kClearScreen[] = "\x1b[0m\x1b[?25l\x1b[2J";
constexpr const char kHideCursor[] = "\x1b[?25l";

bool isBlankName(const char* name) {
  for (std::size_t i = 0; i < kNameLength; ++i) {
    if (name[i] != ' ' && name[i] != '\0') return false;
  }
  return true;
}

// Every record with a result starts with it, a 2-byte integer. Returns the result.
int answer(unsigned char* record, int result) {
  putBigEndian16(record, result);
  return result;
}

// The parameter record of a function, seen as its layout.
template <class Record>
Record& recordAs(unsigned char* record) {
  return *reinterpret_cast<Record*>(record);
}

}  // namespace

int ScreenLibrary::call(int function, unsigned char* record) {
  switch (function) {
    case layouts::screen_function::kDefinePanel:
      return definePanel(record);
    case layouts::screen_function::kOpenWindow:
      return openWindow(record);
    case layouts::screen_function::kReadWindow:
      return readWindow(record);
    case layouts::screen_function::kApplyWindow:
      return applyWindow(record);
    case layouts::screen_function::kDisplayPanel:
      return fullDisplay(record);
    case layouts::screen_function::kRefreshField:
      return refreshField(record);
    case layouts::screen_function::kClosePanel:
      return closePanel(record);
    case layouts::screen_function::kCloseWindow:
      return closeWindow(record);
    case layouts::screen_function::kStartLibrary:
    case layouts::screen_function::kEndLibrary:
      return kDone;
    default:
      return kUnknownFunction;
  }
}

ScreenLibrary::KnownPanel* ScreenLibrary::findPanel(const void* name) {
  for (KnownPanel& known : panels_) {
    if (known.used && std::memcmp(known.panel.name, name, kNameLength) == 0) return &known;
  }
  return nullptr;
}

int ScreenLibrary::fieldIndex(int id) {
  for (const FieldLookup& lookup : lookups_) {
    if (lookup.known && lookup.id == id) return lookup.index;
  }
  int index = findFieldIndex(*windowPanel_, id);
  lookups_[nextLookup_] = {true, id, index};
  nextLookup_ ^= 1;
  return index;
}

void ScreenLibrary::forgetFieldIndexes() {
  for (FieldLookup& lookup : lookups_) lookup = {};
  nextLookup_ = 0;
}

int ScreenLibrary::definePanel(unsigned char* record) {
  // A panel defined again replaces the one of the same name, unless its window is open.
  KnownPanel* slot = findPanel(recordAs<PanelDefinitionRecord>(record).panelName);
  if (slot != nullptr && &slot->panel == windowPanel_) return answer(record, kUnknownPanel);
  if (slot == nullptr) {
    for (KnownPanel& known : panels_) {
      if (!known.used && &known.panel != windowPanel_) {
        slot = &known;
        break;
      }
    }
  }
  if (slot == nullptr) return answer(record, kBadPanelDefinition);
  slot->used = false;
  if (readPanelDefinition(record, slot->panel) != PanelStatus::Ok) {
    return answer(record, kBadPanelDefinition);
  }
  slot->used = true;
  return answer(record, kDone);
}

int ScreenLibrary::openWindow(unsigned char* record) {
  if (windowOpen_) closeWindow(nullptr);
  const char* panelName = recordAs<layouts::WindowRecord>(record).panelName;
  if (isBlankName(panelName)) {
    // A window without a panel (a program that only exchanges messages): nothing is shown.
    windowOpen_ = true;
    return kDone;
  }
  const KnownPanel* known = findPanel(panelName);
  if (known == nullptr) return kUnknownPanel;
  const Panel* panel = &known->panel;
  windowOpen_ = true;
  windowPanel_ = panel;
  forgetFieldIndexes();
  std::memcpy(title_, panel->title, kTitleLength);
  record_ = nullptr;
  fieldsPending_ = 0;
  drawnOnce_ = false;
  drawing_ = host_.openScreen(kRestoreText);
  everythingPending_ = true;
  anythingPending_ = true;
  drawIfDue(true);
  return kDone;
}

int ScreenLibrary::readWindow(unsigned char* record) {
  if (windowPanel_ == nullptr) return kNoPanelShown;
  auto& window = recordAs<layouts::WindowRecord>(record);
  std::memcpy(window.windowName, windowPanel_->name, kNameLength);
  std::memcpy(window.panelName, windowPanel_->name, kNameLength);
  std::memcpy(window.title, title_, kTitleLength);
  return kDone;
}

int ScreenLibrary::applyWindow(unsigned char* record) {
  if (windowPanel_ == nullptr) return kNoPanelShown;
  std::memcpy(title_, recordAs<layouts::WindowRecord>(record).title, kTitleLength);
  everythingPending_ = true;
  anythingPending_ = true;
  drawIfDue(false);
  return kDone;
}

int ScreenLibrary::fullDisplay(unsigned char* record) {
  if (windowPanel_ == nullptr) return kNoPanelShown;
  auto& data = recordAs<PanelDataRecord>(record);
  if (std::memcmp(data.panelName, windowPanel_->name, kNameLength) != 0) {
    return kUnknownPanel;
  }
  int key = layouts::screen_key::kNone;
  switch (host_.takeRequest()) {
    case ScreenHost::Request::Interrupt:
      key = layouts::screen_key::kCtrlC;
      break;
    case ScreenHost::Request::Terminate:
      key = layouts::screen_key::kWindowClosed;
      break;
    case ScreenHost::Request::None:
      break;
  }
  putBigEndian16(data.keyCode, key);
  record_ = record;
  everythingPending_ = true;
  anythingPending_ = true;
  drawIfDue(false);
  return kDone;
}

int ScreenLibrary::refreshField(unsigned char* record) {
  if (record_ == nullptr || windowPanel_ == nullptr) return kNoPanelShown;
  int index = fieldIndex(readBigEndian16(recordAs<layouts::FieldRefreshRecord>(record).fieldId));
  if (index < 0) return kUnknownField;
  if (!drawing_) return kDone;
  fieldsPending_ |= std::uint64_t{1} << index;
  anythingPending_ = true;
  drawIfDue(false);
  return kDone;
}

int ScreenLibrary::closePanel(unsigned char* record) {
  KnownPanel* slot = findPanel(recordAs<layouts::PanelCloseRecord>(record).panelName);
  if (slot == nullptr) return answer(record, kUnknownPanel);
  if (&slot->panel == windowPanel_) {
    drawIfDue(true);  // the last state stays on the screen
    record_ = nullptr;
  }
  slot->used = false;  // the window keeps the panel's storage until it is closed
  return answer(record, kDone);
}

int ScreenLibrary::closeWindow(unsigned char* record) {
  if (windowPanel_ != nullptr) {
    if (record_ != nullptr) drawIfDue(true);
    if (drawing_) host_.write(kRestoreText);
    host_.closeScreen();
  }
  windowOpen_ = false;
  windowPanel_ = nullptr;
  forgetFieldIndexes();
  drawing_ = false;
  record_ = nullptr;
  anythingPending_ = false;
  return record != nullptr ? answer(record, kDone) : kDone;
}

void ScreenLibrary::shutDown() {
  if (windowOpen_) closeWindow(nullptr);
}

void ScreenLibrary::drawIfDue(bool force) {
  if (!drawing_ || !anythingPending_) return;
  std::int64_t now = host_.now();
  if (!force && drawnOnce_ && now - lastDraw_ < kRedrawIntervalNanoseconds) return;
  lastDraw_ = now;
  draw();
}

void ScreenLibrary::draw() {
  std::string out;
  bool resized = host_.sizeChanged();
  if (!drawnOnce_ || resized) {
    ScreenSize size = host_.size();
    layOutPanel(*windowPanel_, size.rows, size.columns, layout_);
    everythingPending_ = true;
    out += kClearScreen;
  }
  if (everythingPending_) {
    drawPanel(*windowPanel_, layout_, title_, record_, wanted_);
    out += kHideCursor;
  } else {
    for (int i = 0; i < windowPanel_->fieldCount && i < 64; ++i) {
      if (fieldsPending_ & (std::uint64_t{1} << i)) drawField(*windowPanel_, layout_, i, record_, wanted_);
    }
  }
  appendScreenChanges(shown_, wanted_, everythingPending_, out);
  if (!out.empty() && !host_.write(out)) drawing_ = false;  // the terminal is gone
  shown_ = wanted_;
  ++drawCount_;
  drawnOnce_ = true;
  everythingPending_ = false;
  fieldsPending_ = 0;
  anythingPending_ = false;
}

}  // namespace dunax::sp2
