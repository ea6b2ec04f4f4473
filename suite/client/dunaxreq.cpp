// dunaxreq: the requesting client of the executor. Posts one command request as the user's
// current message, starts DUNAXSYS from its own directory, waits for the matching reply, posts
// the end message and prints the reply. Refuses a verb the executor does not know, unless the
// words are given as a shell command line with --shell.
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

// The verbs the executor carries out itself, as they stand in the 5-character verb field.
constexpr const char* kExecutorVerbs[] = {
    "DIR  ", "dir  ", "MKDIR", "mkdir", "RMDIR", "rmdir", "CDDIR", "COPY ", "copy ",
    "COPIA", "DEL  ", "del  ", "APAGA", "REN  ", "ren  ", "EXECU"};
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
    "field (\"OK\" or \"ERRO\"), argument 1 and argument 2, trailing spaces removed.\n"
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
    "3 wrong usage (an unknown option or verb, a field too long).\n";

void setUpBlock(MessageBlock& block) {
  std::memset(&block, 0, sizeof block);
  for (std::size_t i = 0; i < std::size(block.settings); ++i) {
    layouts::putLittleEndian16(block.settings[i], layouts::kMessageBlockSettings[i]);
  }
}

// Prints a field of the record as one UTF-8 line, trailing spaces removed.
template <std::size_t Width>
void printField(const char (&at)[Width]) {
  std::size_t length = Width;
  while (length > 0 && (at[length - 1] == ' ' || at[length - 1] == '\0')) --length;
  std::string line;
  platform::appendUtf8FromWindows1252(at, length, line);
  std::printf("%s\n", line.c_str());
}

// Returns true when verb, padded to the verb field, is one the executor carries out itself.
bool isExecutorVerb(const std::string& verb) {
  std::string field = verb;
  field.resize(kVerbLength, ' ');
  for (const char* known : kExecutorVerbs) {
    if (field == known) return true;
  }
  return false;
}

int usage(const char* message) {
  std::fprintf(stderr, "dunaxreq: %s\nTry 'dunaxreq --help'.\n", message);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
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
  setUpBlock(block);
  std::memcpy(block.text, &record, sizeof record);
  std::memset(block.text + sizeof record, ' ', sizeof block.text - sizeof record);
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
    return kExitNoReply;
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
    if (!executorEnded) platform::stopChild(child, 1000);
    std::fprintf(stderr, "dunaxreq: no reply from DUNAXSYS within %d s\n", timeoutSeconds);
    return kExitNoReply;
  }

  // The end message: what was fetched, with type "FIM ".
  ExchangeRecord reply;
  std::memcpy(&reply, block.text, sizeof reply);
  ExchangeRecord end = reply;
  std::memcpy(end.typeWord, layouts::kEndType, sizeof end.typeWord);
  std::memcpy(block.text, &end, sizeof end);
  std::memset(block.beforeText, 0, sizeof block.beforeText);
  sp2::postMessage(layouts::bytesOf(block));
  if (!executorEnded && !platform::waitForChildFor(child, 5000).ok()) {
    platform::stopChild(child, 1000);
  }

  printField(reply.verb);
  printField(reply.argument1);
  printField(reply.argument2);
  if (std::memcmp(reply.verb, layouts::kReplyOk, kVerbLength) == 0) return kExitOk;
  if (std::memcmp(reply.verb, layouts::kReplyError, kVerbLength) == 0) return kExitError;
  return kExitNoReply;
}
