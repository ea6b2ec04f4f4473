// The executor's own fixed texts, byte for byte: the screen library's second name, the names of
// the start-up and of the placeholder window, the inventory listing's directories. (The
// exchange's words and the verbs are in layouts/exchange_record.h.)
#pragma once

namespace dunax::executor::text {

inline constexpr char kFallbackLibraryName[] = "SP2     ";
inline constexpr char kStartUpName[] = "VRD     ";
inline constexpr char kWindowName[] = "Dummy2  ";
inline constexpr char kWindowMark[] = "x";

// The reason of a failure that gave none of its own (every handler gives one; kept so that an
// "ERRO " never comes back without words).
inline constexpr char kReasonUnknown[] = "the request failed";

// The working directory the inventory listing makes sure of, and the directories it walks.
inline constexpr char kWorkDirectory[] = "tmp";
inline constexpr char kCommonDirectoryPattern[] = "COMUNS\\*.*";
inline constexpr char kCommonDirectoryPrefix[] = "COMUNS\\";
inline constexpr char kCompanyDirectoryPattern[] = "EMP???";
inline constexpr char kAllEntriesPattern[] = "\\*.*";

}  // namespace dunax::executor::text
