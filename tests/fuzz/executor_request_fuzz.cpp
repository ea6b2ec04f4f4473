// Fuzz target: one exchange record as the executor fetches it, carried out in full (dispatch on
// the verb, MKDIR positions, copy and delete names, pattern overlay, switch rewriting, the
// inventory walk) against the in-memory host, so nothing is run and no disk is touched.
//
// Input: the first 256 bytes are the exchange record (a shorter input is padded with spaces;
// a type word "PERG" is put in when byte 13 is "P", so most inputs reach the dispatch). Every
// line after them names an extra entry of the host: a name ending in "/" is a directory, any
// other a file whose size is the line's length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "executor/commands.h"
#include "executor/main_sequence.h"
#include "platform/host_path.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/in_memory_platform.h"

namespace {

using dunax::executor::ExchangeRecord;

constexpr std::size_t kMostExtraEntries = 64;
constexpr std::size_t kLongestName = 256;  // the command buffer, the longest name built

void addExtraEntries(std::string_view rest) {
  std::size_t added = 0;
  while (!rest.empty() && added < kMostExtraEntries) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.empty()) continue;
    const bool directory = line.back() == '/';
    if (dunax::fuzz::addMemoryEntry(line, directory, line.size())) ++added;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dunax::fuzz::resetMemoryHost();
  dunax::executor::Job job;
  std::memset(&job.record, ' ', sizeof job.record);
  const std::size_t taken = size < sizeof job.record ? size : sizeof job.record;
  std::memcpy(&job.record, data, taken);
  if (job.record.typeWord[0] == 'P') {
    std::memcpy(job.record.typeWord, "PERG", sizeof job.record.typeWord);
  }
  addExtraEntries(std::string_view(reinterpret_cast<const char*>(data) + taken, size - taken));

  ExchangeRecord before = job.record;
  job.succeed();
  dunax::executor::carryOutRequest(job);

  // The reply keeps the tag, the stamp, the type word, the verb and the rest: only the
  // arguments are the handler's to write (the main sequence writes type and status later).
  DUNAX_FUZZ_CHECK(std::memcmp(&before, &job.record, offsetof(ExchangeRecord, argument1)) == 0);
  DUNAX_FUZZ_CHECK(std::memcmp(before.rest, job.record.rest, sizeof before.rest) == 0);
  DUNAX_FUZZ_CHECK(job.errorFlag == dunax::executor::kFlagSuccess ||
                   job.errorFlag == dunax::executor::kFlagError);

  // Every name a file verb passes on is built from the 80-character arguments and must fit the
  // command buffer. (The inventory's walk builds its patterns from the names the directories
  // hold, four levels deep, which the host alone limits.)
  const dunax::fuzz::MemoryHost& host = dunax::fuzz::memoryHost();
  const std::string_view verb = dunax::layouts::textOf(before.verb);
  if (verb != "DIR  " && verb != "dir  ") {
    for (const std::string& name : host.namesUsed) {
      DUNAX_FUZZ_CHECK(name.size() <= kLongestName);
    }
  }
  // A command line is the whole 256-byte buffer in the host's encoding, cut at a NUL only.
  for (const std::string& line : host.commandLines) {
    const dunax::platform::Expected<std::string> buffer =
        dunax::platform::recordNameFromHost(line);
    DUNAX_FUZZ_CHECK(buffer.ok());
    DUNAX_FUZZ_CHECK(buffer->size() <= dunax::executor::kCommandBufferLength);
  }
  // Only the two command verbs (or an unknown one) may run anything.
  if (!host.commandLines.empty()) {
    DUNAX_FUZZ_CHECK(host.commandLines.size() == 1);
  }
  return 0;
}
