// The executor's fixed texts, byte for byte: the exchange's tag and type words, the reply
// statuses, the names of the screen library and of the placeholder window, and the verbs.
#pragma once

#include "layouts/exchange_record.h"
#include "layouts/screen_functions.h"

namespace dunax::executor::text {

inline constexpr const char* kTag = layouts::kExchangeTag;
inline constexpr const char* kTypeRequest = layouts::kRequestType;
inline constexpr const char* kTypeReply = layouts::kReplyType;
inline constexpr const char* kTypeEnd = layouts::kEndType;
inline constexpr const char* kStatusOk = layouts::kReplyOk;
inline constexpr const char* kStatusError = layouts::kReplyError;

inline constexpr const char* kLibraryName = layouts::kScreenLibraryName;
inline constexpr char kFallbackLibraryName[] = "SP2     ";
inline constexpr char kStartUpName[] = "VRD     ";
inline constexpr char kWindowName[] = "Dummy2  ";
inline constexpr char kWindowMark[] = "x";

inline constexpr char kVerbDirectoryList[] = "DIR  ";
inline constexpr char kVerbDirectoryListLower[] = "dir  ";
inline constexpr char kVerbMakeDirectory[] = "MKDIR";
inline constexpr char kVerbMakeDirectoryLower[] = "mkdir";
inline constexpr char kVerbRemoveDirectory[] = "RMDIR";
inline constexpr char kVerbRemoveDirectoryLower[] = "rmdir";
inline constexpr char kVerbCurrentDirectory[] = "CDDIR";
inline constexpr char kVerbCopia[] = "COPIA";
inline constexpr char kVerbCopy[] = "COPY ";
inline constexpr char kVerbCopyLower[] = "copy ";
inline constexpr char kVerbApaga[] = "APAGA";
inline constexpr char kVerbDelete[] = "DEL  ";
inline constexpr char kVerbDeleteLower[] = "del  ";
inline constexpr char kVerbRename[] = "REN  ";
inline constexpr char kVerbRenameLower[] = "ren  ";
inline constexpr char kVerbExecute[] = "EXECU";

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
