// The records the converter passes to the screen library SP2MF: the window record, the panel
// data record (the single copy of the values shown), the field refresh record and the two
// close records. 2-byte integers in them are most significant byte first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dunax::converter::screen {

inline constexpr char kPanelName[] = "PDUNAXD ";

// Function codes of the screen library.
namespace functions {
inline constexpr std::int16_t kDefinePanel = 128;
inline constexpr std::int16_t kOpenWindow = 0;
inline constexpr std::int16_t kReadWindow = 34;
inline constexpr std::int16_t kApplyWindow = 33;
inline constexpr std::int16_t kDisplayPanel = 19;
inline constexpr std::int16_t kRefreshField = 58;
inline constexpr std::int16_t kClosePanel = 15;
inline constexpr std::int16_t kCloseWindow = 12;
}  // namespace functions

// Key codes of close requests.
namespace keys {
inline constexpr std::int16_t kWindowClosed = -5;
inline constexpr std::int16_t kAltF4 = 363;
inline constexpr std::int16_t kCtrlC = 3;
}  // namespace keys

// Field ids of the two counters refreshed after every record.
inline constexpr std::int16_t kLidosFieldId = 20;
inline constexpr std::int16_t kEscritosFieldId = 1;

// Writes value as a 2-byte integer, most significant byte first.
inline void putBigEndian16(unsigned char* at, std::int16_t value) {
  auto bits = static_cast<std::uint16_t>(value);
  at[0] = static_cast<unsigned char>(bits >> 8);
  at[1] = static_cast<unsigned char>(bits & 0xFF);
}
inline std::int16_t getBigEndian16(const unsigned char* at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((at[0] << 8) | at[1]));
}

struct WindowRecord {
  static constexpr std::size_t kLength = 188;
  static constexpr std::size_t kClearFrom = 12;
  static constexpr std::size_t kWindowName = 50;
  static constexpr std::size_t kPanelName = 58;
  static constexpr std::size_t kTitle = 88;
  static constexpr std::size_t kTitleLength = 100;
  unsigned char bytes[kLength];
};
static_assert(sizeof(WindowRecord) == WindowRecord::kLength);

struct PanelDataRecord {
  static constexpr std::size_t kLength = 437;
  static constexpr std::size_t kClearFrom = 22;
  static constexpr std::size_t kKeyCode = 22;
  static constexpr std::size_t kPanelName = 62;
  static constexpr std::size_t kLetterK = 164;
  // Field values, in the panel's field order.
  static constexpr std::size_t kEmpresa = 192;     // 3
  static constexpr std::size_t kFichConv = 195;    // 9 digits
  static constexpr std::size_t kTotalFich = 204;   // 9 digits
  static constexpr std::size_t kDspTempo = 213;    // 40
  static constexpr std::size_t kBarra = 253;       // 30 cells
  static constexpr std::size_t kNome = 283;        // 50
  static constexpr std::size_t kDspFase = 333;     // 10
  static constexpr std::size_t kLidos = 343;       // 9 digits
  static constexpr std::size_t kEscritos = 352;    // 9 digits
  static constexpr std::size_t kBarCells = 30;
  // One attribute byte per bar cell: cell n (1-30) at 364 + n.
  static constexpr std::size_t kBarAttributes = 365;
  unsigned char bytes[kLength];
};
static_assert(sizeof(PanelDataRecord) == PanelDataRecord::kLength);

struct FieldRefreshRecord {
  static constexpr std::size_t kLength = 10157;
  static constexpr std::size_t kFieldId = 32;
  unsigned char bytes[kLength];
};
static_assert(sizeof(FieldRefreshRecord) == FieldRefreshRecord::kLength);

struct PanelCloseRecord {
  static constexpr std::size_t kLength = 10;
  static constexpr std::size_t kPanelName = 2;
  unsigned char bytes[kLength];
};

struct WindowCloseRecord {
  unsigned char bytes[2];
};

}  // namespace dunax::converter::screen
