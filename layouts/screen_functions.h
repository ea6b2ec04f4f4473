// The screen library's function codes (the first argument of every call, a 2-byte integer
// stored most significant byte first), the key codes it hands back in the panel data record,
// and the name both programs call it by.
#pragma once

#include <cstdint>

namespace dunax::layouts {

inline constexpr char kScreenLibraryName[] = "SP2MF   ";

namespace screen_function {
inline constexpr std::int16_t kOpenWindow = 0;      // window record, panel name set
inline constexpr std::int16_t kCloseWindow = 12;    // window close record
inline constexpr std::int16_t kClosePanel = 15;     // panel close record
inline constexpr std::int16_t kEndLibrary = 16;
inline constexpr std::int16_t kDisplayPanel = 19;   // panel data record; the key code comes back
inline constexpr std::int16_t kApplyWindow = 33;    // window record, title set
inline constexpr std::int16_t kReadWindow = 34;     // window record, window name set
inline constexpr std::int16_t kPostMessage = 53;    // message block
inline constexpr std::int16_t kFetchMessage = 54;   // message block
inline constexpr std::int16_t kRefreshField = 58;   // field refresh record
inline constexpr std::int16_t kStartLibrary = 83;   // start-up block
inline constexpr std::int16_t kDefinePanel = 128;   // panel definition record
}  // namespace screen_function

// Key codes in the panel data record: what ended the display.
namespace screen_key {
inline constexpr std::int16_t kNone = 0;
inline constexpr std::int16_t kCtrlC = 3;
inline constexpr std::int16_t kWindowClosed = -5;
inline constexpr std::int16_t kAltF4 = 363;
}  // namespace screen_key

}  // namespace dunax::layouts
