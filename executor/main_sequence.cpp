// The executor's main sequence.
#include "executor/main_sequence.h"

#include <cstring>
#include <string>

#include "executor/commands.h"
#include "executor/literals.h"
#include "platform/clock.h"
#include "platform/console.h"

namespace dunax::executor {

using platform::ScreenProgram;
namespace functions = layouts::screen_function;
namespace {

// Upper bound of the wait for the end message, whatever the clock does.
constexpr std::int64_t kLongestWaitNanoseconds = 2'000'000'000;

// The pause between two looks for the end message: short against the client's answer, long
// enough that the wait leaves the processor to the client that has to post it.
constexpr int kEndMessagePauseMicroseconds = 200;

// Step 1: the start-up call. Returns false when the library cannot be reached (reported on
// standard error).
bool startLibrary(ScreenProgram& library, int& returnCode) {
  StartUpBlock block;
  fillStartUpBlock(block);
  platform::Expected<int> result = library.call(functions::kStartLibrary, &block);
  if (!result) {
    std::string message =
        "DUNAXSYS: the screen library is not installed: " + result.status().message();
    platform::writeErrorLine(message.c_str());
    return false;
  }
  returnCode = *result;
  return true;
}

int callLibrary(ScreenProgram& library, std::int16_t operationCode, void* block, int previous) {
  return library.call(operationCode, block).valueOr(previous);
}

// Step 5: posts the reply, again while the library refuses it, a bounded number of times.
// Returns true when it was stored.
bool postReply(ScreenProgram& library, Job& job, MessageBlock& block, int& returnCode) {
  for (int attempt = 0; attempt < kReplyPostAttempts; ++attempt) {
    if (attempt > 0) platform::sleepMilliseconds(kReplyPostPauseMilliseconds);
    std::memcpy(job.record.verb, job.failed() ? layouts::kReplyError : layouts::kReplyOk,
                sizeof job.record.verb);
    std::memcpy(job.record.typeWord, layouts::kReplyType, sizeof job.record.typeWord);
    fillForPost(block, job.record);
    fillReplyNotes(block, job.exitStatus,
                   !job.failed() ? std::string_view()
                   : job.reason.empty() ? std::string_view(text::kReasonUnknown)
                                        : std::string_view(job.reason));
    platform::Expected<int> result = library.call(functions::kPostMessage, &block);
    if (result) returnCode = *result;
    if (result && returnCodeOf(block) == 0) return true;
  }
  return false;
}

// Step 6: waits for the end message of this exchange until the clock's hundredths reading has
// been seen to change twice.
void waitForEndMessage(ScreenProgram& library, Job& job, MessageBlock& block, int& returnCode) {
  std::memcpy(job.record.typeWord, layouts::kEndType, sizeof job.record.typeWord);
  int counter = 0;
  char current[8];
  char lastSeen[8];
  platform::timeOfDayHundredths(current);
  std::memcpy(lastSeen, current, sizeof lastSeen);
  const std::int64_t giveUpAt = platform::monotonicNanoseconds() + kLongestWaitNanoseconds;
  for (;;) {
    if (std::memcmp(block.text, &job.record, layouts::kExchangePrefixLength) == 0) return;
    if (counter > 1) return;
    if (platform::monotonicNanoseconds() > giveUpAt) return;
    platform::timeOfDayHundredths(current);
    if (std::memcmp(current + 6, lastSeen + 6, 2) != 0) {
      std::memcpy(lastSeen + 6, current + 6, 2);
      ++counter;
    }
    platform::sleepMicroseconds(kEndMessagePauseMicroseconds);
    clearForFetch(block);
    returnCode = callLibrary(library, functions::kFetchMessage, &block, returnCode);
  }
}

constexpr int kCentisecondsPerDay = 24 * 60 * 60 * 100;

// The hundredths of a second since midnight of an HHMMSScc text; -1 when it is no time of day.
int centisecondsOf(const char* time) {
  for (int i = 0; i < 8; ++i) {
    if (time[i] < '0' || time[i] > '9') return -1;
  }
  auto pair = [time](int at) { return (time[at] - '0') * 10 + (time[at + 1] - '0'); };
  if (pair(0) > 23 || pair(2) > 59 || pair(4) > 59) return -1;
  return ((pair(0) * 60 + pair(2)) * 60 + pair(4)) * 100 + pair(6);
}

bool isRequest(const Job& job) {
  return std::memcmp(job.record.typeWord, layouts::kRequestType, sizeof job.record.typeWord) == 0;
}

}  // namespace

std::optional<std::string> judgeRequestAge(const char* stamp, const char* now) {
  const int stampTime = centisecondsOf(stamp);
  const std::string stampText(stamp, 8);
  if (stampTime < 0) return "the stamp " + stampText + " is no time of day HHMMSScc";
  const int nowTime = centisecondsOf(now);
  if (nowTime < 0) return "this host's time of day cannot be read";
  const int age = ((nowTime - stampTime) % kCentisecondsPerDay + kCentisecondsPerDay) %
                  kCentisecondsPerDay;
  const int limit = kRequestAgeLimitSeconds * 100;
  if (age <= limit || age >= kCentisecondsPerDay - limit) return std::nullopt;
  const std::string limitText = " (limit " + std::to_string(kRequestAgeLimitSeconds) + " s)";
  if (age <= kCentisecondsPerDay / 2) {
    return "the request is " + std::to_string(age / 100) + " s old by its stamp " + stampText +
           limitText;
  }
  return "the request's stamp " + stampText + " lies " +
         std::to_string((kCentisecondsPerDay - age) / 100) + " s ahead of this clock" + limitText;
}

void carryOutRequest(Job& job) {
  if (!isRequest(job)) {
    job.fail("the message is not a request (type word \"" +
             std::string(job.record.typeWord, sizeof job.record.typeWord) + "\")");
    return;
  }
  dispatchVerb(job);
}

int runMainSequence(ScreenProgram& library, TimeOfDayReader readClock) {
  int returnCode = 0;
  if (!startLibrary(library, returnCode)) return kExitLibraryMissing;

  WindowRecord window;
  fillWindowBlock(window);
  returnCode = callLibrary(library, functions::kOpenWindow, &window, returnCode);

  // The message block of the whole exchange: fetch, reply, end message.
  MessageBlock block;
  layouts::setUpMessageBlock(block);
  clearForFetch(block);
  returnCode = callLibrary(library, functions::kFetchMessage, &block, returnCode);
  Job job;
  std::memcpy(&job.record, block.text, sizeof job.record);
  job.succeed();

  char now[8];
  readClock(now);
  const std::optional<std::string> tooOld =
      isRequest(job) ? judgeRequestAge(job.record.stamp, now) : std::nullopt;
  if (tooOld) {
    job.fail(*tooOld + "; not carried out");
  } else {
    carryOutRequest(job);
  }

  if (postReply(library, job, block, returnCode)) {
    waitForEndMessage(library, job, block, returnCode);
  }

  // The window close record is the whole parameter of both end-of-run operations, never set.
  layouts::WindowCloseRecord close{};
  returnCode = callLibrary(library, functions::kCloseWindow, &close, returnCode);
  returnCode = callLibrary(library, functions::kEndLibrary, &close, returnCode);
  return returnCode;
}

}  // namespace dunax::executor
