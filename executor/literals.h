// The executor's fixed texts, byte for byte: the exchange's tag and type words, the reply
// statuses, the names of the screen library and of the placeholder window, and the verbs.
#pragma once

namespace dunax::executor::text {

inline constexpr char kTag[] = "#VRD#";
inline constexpr char kTypeRequest[] = "PERG";
inline constexpr char kTypeReply[] = "RESP";
inline constexpr char kTypeEnd[] = "FIM ";
inline constexpr char kStatusOk[] = "OK   ";
inline constexpr char kStatusError[] = "ERRO ";

inline constexpr char kLibraryName[] = "SP2MF   ";
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

// The working directory the inventory listing makes sure of, and the directories it walks.
inline constexpr char kWorkDirectory[] = "tmp";
inline constexpr char kCommonDirectoryPattern[] = "COMUNS\\*.*";
inline constexpr char kCommonDirectoryPrefix[] = "COMUNS\\";
inline constexpr char kCompanyDirectoryPattern[] = "EMP???";
inline constexpr char kAllEntriesPattern[] = "\\*.*";

}  // namespace dunax::executor::text
