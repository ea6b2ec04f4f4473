// dunaxreq: the requesting client of the executor. Posts one command request as the user's
// current message, starts DUNAXSYS from its own directory, waits for the matching reply, posts
// the end message and prints the reply with its notes (the reason of an "ERRO ", the exit status
// of a command). A request it gives up on (no executor, no reply in time) is withdrawn. Refuses
// a verb the executor does not know, unless the words are given as a shell command line with
// --shell.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "layouts/byte_fields.h"
#include "layouts/exchange_record.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/program_arguments.h"
#include "platform/text_encoding.h"
#include "platform/version.h"
#include "suite/sp2/message_store.h"

namespace {

using namespace dunax;

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitError = 1;
constexpr int kExitNoReply = 2;
constexpr int kExitUsage = 3;

constexpr int kDefaultTimeoutSeconds = 10;

using layouts::ExchangeRecord;
using layouts::MessageBlock;
using layouts::kArgumentLength;
constexpr std::size_t kVerbLength = sizeof(ExchangeRecord::verb);

// The verbs the executor carries out itself (layouts/exchange_record.h), in words.
constexpr char kVerbList[] =
    "DIR MKDIR RMDIR CDDIR COPY COPIA DEL APAGA REN EXECU (also dir mkdir rmdir copy del ren)";

// The verb of a --shell request: one the executor does not know, so that it runs the command
// line held in the two arguments.
constexpr char kShellVerb[] = "SHELL";
constexpr std::size_t kCommandLineLength = 2 * kArgumentLength;

constexpr char kHelp[] =
    "Usage: dunaxreq [--timeout SECONDS] VERB [ARG1 [ARG2]]\n"
    "       dunaxreq [--timeout SECONDS] --shell WORD...\n"
    "\n"
    "Asks the executor DUNAXSYS to carry out one file-system command.\n"
    "\n"
    "Builds a request record (tag \"#VRD#\", a fresh stamp from the time of day HHMMSScc, type\n"
    "\"PERG\", the verb padded to 5 characters, ARG1 and ARG2 padded to 80 characters each),\n"
    "posts it as the user's current message of the screen library, starts the DUNAXSYS that\n"
    "lies beside this program (no shell), waits for the reply with the same stamp and type\n"
    "\"RESP\", posts the end message (type \"FIM \") and prints three lines: the reply's verb\n"
    "field (\"OK\" or \"ERRO\"), argument 1 and argument 2, trailing spaces removed. Then, when\n"
    "the reply has them: \"ERRO: \" and the executor's reason; \"exit status: N\" for a\n"
    "command run by EXECU or --shell; what a stamp in argument 1 says (MKDIR, RMDIR, DEL of\n"
    "one file: size and last write; DIR: files listed, their total, the time of \"tmp\").\n"
    "A request dunaxreq gives up on (DUNAXSYS could not be started, no reply in time) is\n"
    "withdrawn: while it is still the current message it is replaced by an end message with\n"
    "blank arguments, so that no later DUNAXSYS carries it out. DUNAXSYS itself does not carry\n"
    "out a request whose stamp is more than 30 s away from its own time of day.\n"
    "Requests of the same user take turns (a lock in the message directory), so that two\n"
    "clients at once never take each other's reply.\n"
    "\n"
    "Verbs: DIR, MKDIR, RMDIR, CDDIR, COPY (COPIA), DEL (APAGA), REN, EXECU, and dir, mkdir,\n"
    "rmdir, copy, del, ren in lower case; any other verb is refused. With --shell the WORDs,\n"
    "joined by spaces, are a command line (at most 160 bytes) that the executor runs through\n"
    "the shell. Paths use \"\\\" or \"/\". What a command run by EXECU or the shell writes\n"
    "appears before the three lines of the reply.\n"
    "Arguments are UTF-8 here and Windows-1252 in the record; each must fit its field\n"
    "(verb 5 bytes, arguments 80 bytes).\n"
    "\n"
    "Options:\n"
    "  --timeout SECONDS   how long to wait for the reply (default 10)\n"
    "  --shell             send the WORDs as a shell command line\n"
    "  --help              this text\n"
    "  --version           the version of dunax\n"
    "\n"
    "The message directory is $DUNAX_MESSAGE_DIR when set, else\n"
    "${XDG_RUNTIME_DIR:-/tmp}/dunax-sp2-<uid>.\n"
    "\n"
    "Exit codes: 0 the reply was \"OK   \"; 1 the reply was \"ERRO \"; 2 no reply came within\n"
    "the time limit (or DUNAXSYS could not be started, or the request could not be posted);\n"
    "3 wrong usage (an unknown option or verb, a field too long). EXECU and --shell answered\n"
    "\"OK   \" exit with the command's exit status (255 when it is larger).\n";

// Returns true when verb, padded to the verb field, is one the executor carries out itself.
bool isExecutorVerb(const std::string& verb) {
  std::string field = verb;
  field.resize(kVerbLength, ' ');
  for (const char* known : layouts::kExecutorVerbs) {
    if (field == known) return true;
  }
  return false;
}

// Prints a text of the reply (Windows-1252) in UTF-8 after label, trailing spaces removed.
void printNote(const char* label, const char* at, std::size_t width) {
  while (width > 0 && (at[width - 1] == ' ' || at[width - 1] == '\0')) --width;
  std::string line;
  platform::appendUtf8FromWindows1252(at, width, line);
  std::printf("%s%s\n", label, line.c_str());
}
// The exit status in the reply's notes; -1 when there is none (no command ran, or an executor
// that writes no notes).
long exitStatusOf(const layouts::ReplyNotes& notes) {
  long value = 0;
  for (char c : notes.exitStatus) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
    if (value > 99999999L) return 99999999L;
  }
  return value;
}

// The decimal value of the width digits at at; -1 when one is not a digit.
long digitsAt(const char* at, std::size_t width) {
  long value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    if (at[i] < '0' || at[i] > '9') return -1;
    value = value * 10 + (at[i] - '0');
  }
  return value;
}

// "DD/MM/YYYY HH:MM:SS" of the information layout's date and time at at (14 digits: day,
// month, year, hour, minute, two-second count); empty when they are not digits.
std::string stampTime(const char* at) {
  if (digitsAt(at, 14) < 0) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.2s/%.2s/%.4s %.2s:%.2s:%02ld", at, at + 2, at + 4, at + 8,
                at + 10, digitsAt(at + 12, 2) * 2);
  return text;
}

// Says in words what the stamp in argument 1 of a reply holds: the information layout of one
// name (MKDIR, RMDIR, DEL of one file) or the counts of DIR. Nothing for the other verbs.
void printStamp(const std::string& verb, const ExchangeRecord& reply) {
  std::string field = verb;
  field.resize(kVerbLength, ' ');
  const char* at = reply.argument1;
  const bool oneName = field == layouts::kVerbMakeDirectory ||
                       field == layouts::kVerbMakeDirectoryLower ||
                       field == layouts::kVerbRemoveDirectory ||
                       field == layouts::kVerbRemoveDirectoryLower ||
                       ((field == layouts::kVerbDelete || field == layouts::kVerbDeleteLower ||
                         field == layouts::kVerbApaga) &&
                        std::memchr(reply.argument1, '*', kArgumentLength) == nullptr &&
                        std::memchr(reply.argument1, '?', kArgumentLength) == nullptr);
  if (oneName) {
    const long size = digitsAt(at, 16);
    if (size < 0) return;
    if (digitsAt(at, 30) == 0) {
      std::printf("stamp in argument 1: all zeros (nothing of that name is there)\n");
      return;
    }
    const std::string written = stampTime(at + 16);
    if (written.empty()) return;
    std::printf("stamp in argument 1: size %ld bytes, last written %s\n", size, written.c_str());
  } else if (field == layouts::kVerbDirectoryList || field == layouts::kVerbDirectoryListLower) {
    const long count = digitsAt(at, 16);
    const long total = digitsAt(at + 56, 16);
    if (count < 0 || total < 0) return;
    const std::string tmp = stampTime(at + 16);
    std::printf("stamp in argument 1: %ld data files listed, %ld bytes in all%s%s\n", count,
                total, tmp.empty() ? "" : "; tmp last written ", tmp.c_str());
  }
}

// Withdraws the request when it is still the current message (nobody has answered or replaced
// it): posts in its place an end message of the same tag and stamp, verb "ERRO " and blank
// arguments, which no executor carries out. Returns true when it was withdrawn.
bool withdrawRequest(const ExchangeRecord& request, MessageBlock& block) {
  if (sp2::fetchMessage(layouts::bytesOf(block)) != 0 ||
      std::memcmp(block.text, &request, sizeof request) != 0) {
    return false;
  }
  ExchangeRecord withdrawn;
  std::memset(&withdrawn, ' ', sizeof withdrawn);
  std::memcpy(&withdrawn, &request, layouts::kExchangePrefixLength);
  std::memcpy(withdrawn.typeWord, layouts::kEndType, sizeof withdrawn.typeWord);
  std::memcpy(withdrawn.verb, layouts::kReplyError, sizeof withdrawn.verb);
  layouts::fillForPost(block, withdrawn);
  return sp2::postMessage(layouts::bytesOf(block)) == 0;
}

// Gives up on the request: withdraws it and says so on standard error. Returns kExitNoReply.
int giveUp(const ExchangeRecord& request, MessageBlock& block) {
  if (withdrawRequest(request, block)) {
    std::fprintf(stderr, "dunaxreq: the request was withdrawn; no DUNAXSYS will carry it out\n");
  }
  return kExitNoReply;
}

int usage(const char* message) {
  std::fprintf(stderr, "dunaxreq: %s\nTry 'dunaxreq --help'.\n", message);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // The arguments in UTF-8 (on Windows from the wide command line, not the ANSI code page).
  platform::ProgramArguments utf8Arguments(argc, argv);
  argc = utf8Arguments.count();
  argv = utf8Arguments.values();
  int timeoutSeconds = kDefaultTimeoutSeconds;
  bool shell = false;
  int first = 1;
  while (first < argc && std::strncmp(argv[first], "--", 2) == 0) {
    std::string option = argv[first];
    if (option == "--help") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
    if (option == "--version") {
      std::printf("dunaxreq (dunax) %s\n", platform::kDunaxVersion);
      return kExitOk;
    }
    if (option == "--shell") {
      shell = true;
      ++first;
      continue;
    }
    if (option == "--timeout" && first + 1 < argc) {
      char* end = nullptr;
      long value = std::strtol(argv[first + 1], &end, 10);
      if (end == argv[first + 1] || *end != '\0' || value <= 0 || value > 86400) {
        return usage("--timeout wants a number of seconds from 1 to 86400");
      }
      timeoutSeconds = static_cast<int>(value);
      first += 2;
      continue;
    }
    if (option == "--") {
      ++first;
      break;
    }
    return usage(("unknown option " + option).c_str());
  }
  const int count = argc - first;
  std::string verb;
  std::string argument1;
  std::string argument2;
  if (shell) {
    // The command line fills argument 1 and goes on in argument 2, as the executor reads it.
    if (count < 1) return usage("give the command line after --shell");
    std::string commandLine;
    for (int i = first; i < argc; ++i) {
      if (i > first) commandLine += ' ';
      commandLine += argv[i];
    }
    commandLine = platform::windows1252FromUtf8(commandLine);
    if (commandLine.size() > kCommandLineLength) {
      return usage("the command line is longer than 160 bytes");
    }
    verb = kShellVerb;
    argument1 = commandLine.substr(0, kArgumentLength);
    if (commandLine.size() > kArgumentLength) argument2 = commandLine.substr(kArgumentLength);
  } else {
    if (count < 1 || count > 3) return usage("give a verb and at most two arguments");
    verb = platform::windows1252FromUtf8(argv[first]);
    argument1 = count > 1 ? platform::windows1252FromUtf8(argv[first + 1]) : "";
    argument2 = count > 2 ? platform::windows1252FromUtf8(argv[first + 2]) : "";
    if (verb.empty() || verb.size() > kVerbLength) return usage("the verb has 1 to 5 characters");
    if (!isExecutorVerb(verb)) {
      return usage(("unknown verb '" + std::string(argv[first]) + "'; the verbs are " +
                    kVerbList + ", or --shell for a command line")
                       .c_str());
    }
    if (argument1.size() > kArgumentLength || argument2.size() > kArgumentLength) {
      return usage("an argument is longer than 80 bytes");
    }
  }

  // Our turn: no other client's request, reply or end message can replace ours until we end.
  platform::FileLock turn;
  if (!sp2::lockExchange(turn, timeoutSeconds * 1000).ok()) {
    std::fprintf(stderr, "dunaxreq: no reply: another request is still under way (or the message "
                         "directory was refused)\n");
    return kExitNoReply;
  }

  // The request.
  ExchangeRecord record;
  std::memset(&record, ' ', sizeof record);
  std::memcpy(record.tag, layouts::kExchangeTag, sizeof record.tag);
  platform::timeOfDayHundredths(record.stamp);
  std::memcpy(record.typeWord, layouts::kRequestType, sizeof record.typeWord);
  layouts::putPadded(record.verb, verb);
  layouts::putPadded(record.argument1, argument1);
  layouts::putPadded(record.argument2, argument2);

  // The message block of the whole exchange, owned by this run.
  MessageBlock block;
  layouts::setUpMessageBlock(block);
  layouts::fillForPost(block, record);
  if (sp2::postMessage(layouts::bytesOf(block)) != 0) {
    std::fprintf(stderr, "dunaxreq: the request could not be posted (message directory refused)\n");
    return kExitNoReply;
  }

  // The executor, from this program's own directory.
  const std::string executor = platform::programDirectory() + "/DUNAXSYS";
  platform::Expected<platform::ChildProcess> started =
      platform::startChildProcess(executor, {"DUNAXSYS"});
  if (!started) {
    std::fprintf(stderr, "dunaxreq: DUNAXSYS could not be started: %s\n",
                 started.status().message().c_str());
    return giveUp(record, block);
  }
  const platform::ChildProcess child = *started;

  // The reply: the same tag and stamp with type "RESP".
  ExchangeRecord awaited = record;
  std::memcpy(awaited.typeWord, layouts::kReplyType, sizeof awaited.typeWord);
  const std::int64_t deadline =
      platform::monotonicNanoseconds() + static_cast<std::int64_t>(timeoutSeconds) * 1000000000;
  bool replied = false;
  bool executorEnded = false;
  for (;;) {
    if (sp2::fetchMessage(layouts::bytesOf(block)) == 0 &&
        std::memcmp(block.text, &awaited, layouts::kExchangePrefixLength) == 0) {
      replied = true;
      break;
    }
    if (platform::monotonicNanoseconds() >= deadline) break;
    if (executorEnded) {
      // The executor is gone; one last look was taken above.
      break;
    }
    executorEnded = platform::waitForChildFor(child, 1).ok();
  }

  if (!replied) {
    // The executor that did not answer is stopped if it can be; the request fails either way.
    if (!executorEnded) (void)platform::stopChild(child, 1000);
    std::fprintf(stderr, "dunaxreq: no reply from DUNAXSYS within %d s\n", timeoutSeconds);
    return giveUp(record, block);
  }

  // The end message: what was fetched, with type "FIM ".
  ExchangeRecord reply;
  std::memcpy(&reply, block.text, sizeof reply);
  layouts::ReplyNotes notes;
  std::memcpy(&notes, block.text + layouts::kReplyNotesOffset, sizeof notes);
  ExchangeRecord end = reply;
  std::memcpy(end.typeWord, layouts::kEndType, sizeof end.typeWord);
  std::memcpy(block.text, &end, sizeof end);
  std::memset(block.beforeText, 0, sizeof block.beforeText);
  sp2::postMessage(layouts::bytesOf(block));
  if (!executorEnded && !platform::waitForChildFor(child, 5000).ok()) {
    (void)platform::stopChild(child, 1000);  // the reply is in; an executor left over is no fault
  }

  printNote("", reply.verb, sizeof reply.verb);
  printNote("", reply.argument1, sizeof reply.argument1);
  printNote("", reply.argument2, sizeof reply.argument2);
  const bool ok = std::memcmp(reply.verb, layouts::kReplyOk, kVerbLength) == 0;
  const bool error = std::memcmp(reply.verb, layouts::kReplyError, kVerbLength) == 0;
  if (error) {
    const std::string_view reason(notes.reason, sizeof notes.reason);
    if (reason.find_first_not_of(' ') == std::string_view::npos) {
      std::printf("ERRO: (the executor gave no reason)\n");
    } else {
      printNote("ERRO: ", notes.reason, sizeof notes.reason);
    }
  }
  const long exitStatus = exitStatusOf(notes);
  if (exitStatus >= 0) std::printf("exit status: %ld\n", exitStatus);
  if (ok || error) printStamp(verb, reply);
  if (ok && exitStatus >= 0) return exitStatus > 255 ? 255 : static_cast<int>(exitStatus);
  if (ok) return kExitOk;
  if (error) return kExitError;
  return kExitNoReply;
}
