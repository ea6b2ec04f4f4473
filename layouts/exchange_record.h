// The exchange between a requesting client and the executor DUNAXSYS: the 256-byte exchange
// record every message carries, the 1014-byte message block of the screen library's post and
// fetch (the record, then spaces, as its 1000-byte text) and its set-up, the notes the executor
// adds to its reply after the record, the executor's verbs, and the executor's start-up block.
// Offsets from 0; the block's 2-byte numbers are little-endian.
#pragma once

#include <cstddef>
#include <cstring>
#include <iterator>

#include "layouts/byte_fields.h"

namespace dunax::layouts {

inline constexpr std::size_t kArgumentLength = 80;

struct ExchangeRecord {
  char tag[5];                     //    0  kExchangeTag
  char stamp[8];                   //    5  the client's time of day HHMMSScc for this attempt
  char typeWord[4];                //   13  kRequestType, kReplyType, kEndType
  char verb[5];                    //   17  the request's verb; in a reply kReplyOk or kReplyError
  char argument1[kArgumentLength]; //   22
  char argument2[kArgumentLength]; //  102
  char rest[74];                   //  182  passed through unchanged
};
inline constexpr std::size_t kExchangeRecordLength = 256;
// What each side compares to recognise the message meant for it: tag, stamp and type word.
inline constexpr std::size_t kExchangePrefixLength = offsetof(ExchangeRecord, verb);

inline constexpr char kExchangeTag[] = "#VRD#";
inline constexpr char kRequestType[] = "PERG";
inline constexpr char kReplyType[] = "RESP";
inline constexpr char kEndType[] = "FIM ";
inline constexpr char kReplyOk[] = "OK   ";
inline constexpr char kReplyError[] = "ERRO ";

static_assert(sizeof(ExchangeRecord) == kExchangeRecordLength);
static_assert(offsetof(ExchangeRecord, stamp) == 5);
static_assert(offsetof(ExchangeRecord, typeWord) == 13);
static_assert(offsetof(ExchangeRecord, verb) == 17);
static_assert(offsetof(ExchangeRecord, argument1) == 22);
static_assert(offsetof(ExchangeRecord, argument2) == 102);
static_assert(offsetof(ExchangeRecord, rest) == 182);
static_assert(kExchangePrefixLength == 17);
static_assert(sizeof(kExchangeTag) - 1 == sizeof(ExchangeRecord::tag));
static_assert(sizeof(kReplyOk) - 1 == sizeof(ExchangeRecord::verb));

// The verbs the executor carries out, as the verb field holds them (space-padded to 5).
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
// Every verb above, for a requester that checks a verb before sending it.
inline constexpr const char* kExecutorVerbs[] = {
    kVerbDirectoryList,   kVerbDirectoryListLower, kVerbMakeDirectory, kVerbMakeDirectoryLower,
    kVerbRemoveDirectory, kVerbRemoveDirectoryLower, kVerbCurrentDirectory, kVerbCopy,
    kVerbCopyLower,       kVerbCopia,             kVerbDelete,        kVerbDeleteLower,
    kVerbApaga,           kVerbRename,            kVerbRenameLower,   kVerbExecute};
static_assert(sizeof(kVerbExecute) - 1 == sizeof(ExchangeRecord::verb));

inline constexpr std::size_t kMessageTextLength = 1000;

struct MessageBlock {
  unsigned char returnCode[2];     //    0  set by the library; 0 = success
  unsigned char settings[5][2];    //    2  kMessageBlockSettings
  unsigned char beforeText[2];     //   12  zero before every post and every fetch
  unsigned char text[kMessageTextLength];  // 14  the exchange record, then spaces
};
inline constexpr std::size_t kMessageBlockLength = 1014;
// The settings of a post or fetch: 10, 2, 0 (the library's own), then the text's length twice.
inline constexpr int kMessageBlockSettings[5] = {10, 2, 0, static_cast<int>(kMessageTextLength),
                                                 static_cast<int>(kMessageTextLength)};

static_assert(sizeof(MessageBlock) == kMessageBlockLength);
static_assert(offsetof(MessageBlock, settings) == 2);
static_assert(offsetof(MessageBlock, beforeText) == 12);
static_assert(offsetof(MessageBlock, text) == 14);
static_assert(kExchangeRecordLength <= kMessageTextLength);

// Sets up a message block before its first post or fetch: the fixed settings (10, 2, 0, 1000,
// 1000), the return code, the field in front of the text and the text all zero.
inline void setUpMessageBlock(MessageBlock& block) {
  std::memset(&block, 0, sizeof block);
  for (std::size_t i = 0; i < std::size(block.settings); ++i) {
    putLittleEndian16(block.settings[i], kMessageBlockSettings[i]);
  }
}

// Puts the record into the text followed by 744 spaces, the field in front of it zero, as
// before every post.
inline void fillForPost(MessageBlock& block, const ExchangeRecord& record) {
  std::memset(block.beforeText, 0, sizeof block.beforeText);
  std::memcpy(block.text, &record, sizeof record);
  std::memset(block.text + sizeof record, ' ', sizeof block.text - sizeof record);
}

// What the executor adds to its reply in the part of the message text after the record (offset
// 256 of the text, 270 of the block), which every reader of the record passes over and which is
// spaces in every other message. Both fields are spaces when there is nothing to say, so a
// reply whose notes are all spaces reads as before.
struct ReplyNotes {
  char exitStatus[10];             //  256  EXECU and shell commands: the command's exit status,
                                   //       10 decimal digits (a signal N on POSIX: 128 + N);
                                   //       spaces when no command ran
  char reason[160];                //  266  "ERRO ": why, Windows-1252, space-padded; else spaces
};
inline constexpr std::size_t kReplyNotesOffset = kExchangeRecordLength;  // in the message text
inline constexpr std::size_t kReplyNotesLength = 170;
static_assert(sizeof(ReplyNotes) == kReplyNotesLength);
static_assert(offsetof(ReplyNotes, reason) == 10);
static_assert(kReplyNotesOffset + sizeof(ReplyNotes) <= kMessageTextLength);
static_assert(offsetof(MessageBlock, text) + kReplyNotesOffset == 270);

// The executor's start-up block (function 83): a zero result, then the caller's name.
struct StartUpBlock {
  unsigned char result[2];         //    0
  char callerName[8];              //    2
};
inline constexpr std::size_t kStartUpBlockLength = 10;
static_assert(sizeof(StartUpBlock) == kStartUpBlockLength);

}  // namespace dunax::layouts
