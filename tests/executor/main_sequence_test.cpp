// The executor's main sequence against a stand-in screen library: the order of the calls, the
// reply, the wait for the end message and the bounded re-post; and the library by name falling
// back from SP2MF to SP2.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "executor/main_sequence.h"
#include "executor/screen_program.h"
#include "requests.h"

namespace dunax::executor {
namespace {

using testing::makeJob;
using testing::ScopedVariable;
using testing::TempDirectoryTest;

// A screen library kept in memory: one current message, every call recorded.
class FakeLibrary : public platform::ScreenProgram {
 public:
  struct Call {
    std::int16_t operation;
    std::vector<unsigned char> block;
  };

  platform::Expected<int> call(std::int16_t operationCode, void* block) override {
    if (missing) return platform::Status::failure(platform::StatusCode::NotFound, "SP2 is gone");
    auto* bytes = static_cast<unsigned char*>(block);
    std::size_t length = operationCode == 83 ? 10 : operationCode == 0 ? 188 : 2;
    if (operationCode == 53 || operationCode == 54) length = 1014;
    calls.push_back({operationCode, std::vector<unsigned char>(bytes, bytes + length)});
    if (operationCode == 53) {
      ++posts;
      if (refusePosts) {
        bytes[0] = 9;
        return 9;
      }
      std::memcpy(current, bytes + 14, 1000);
      hasMessage = true;
      bytes[0] = 0;
      if (afterPost) afterPost();
    } else if (operationCode == 54) {
      ++fetches;
      if (!hasMessage) return 1;
      std::memcpy(bytes + 14, current, 1000);
      bytes[0] = 0;
    }
    return 0;
  }

  void post(const ExchangeRecord& record) {
    std::memcpy(current, layouts::bytesOf(record), 256);
    std::memset(current + 256, ' ', 744);
    hasMessage = true;
  }

  bool missing = false;
  std::vector<Call> calls;
  unsigned char current[1000] = {};
  bool hasMessage = false;
  bool refusePosts = false;
  int posts = 0;
  int fetches = 0;
  std::function<void()> afterPost;
};

class MainSequence : public TempDirectoryTest {};

// The clock of a run started the moment the test's requests were stamped ("12345678").
void atTheStamp(char out[8]) { std::memcpy(out, "12345678", 8); }

std::vector<std::uint16_t> operationsOf(const FakeLibrary& library) {
  std::vector<std::uint16_t> operations;
  for (const auto& call : library.calls) {
    if (operations.empty() || operations.back() != call.operation || call.operation != 54) {
      operations.push_back(call.operation);
    }
  }
  return operations;
}

TEST_F(MainSequence, CallsInOrderAndAnswersOk) {
  FakeLibrary library;
  Job request = makeJob("MKDIR", "NEW");
  library.post(request.record);
  EXPECT_EQ(0, runMainSequence(library, atTheStamp));
  EXPECT_TRUE(std::filesystem::is_directory("NEW"));
  std::vector<std::uint16_t> expected = {83, 0, 54, 53, 54, 12, 16};
  EXPECT_EQ(expected, operationsOf(library));
  EXPECT_EQ(0, std::memcmp(library.calls[0].block.data(), "\0\0VRD     ", 10));
  EXPECT_EQ(10, library.calls[1].block[2]);
  EXPECT_EQ(0, std::memcmp(library.calls[1].block.data() + 50, "Dummy2  ", 8));
  EXPECT_EQ(0, std::memcmp(library.current, "#VRD#12345678RESPOK   ", 22));
}

// The library by name: an SP2MF.so that does not load comes first on the path, so SP2 (the
// test double, which logs its calls) is the one called.
TEST_F(MainSequence, FallsBackToSp2WhenSp2mfCannotBeFound) {
  const char* build = std::getenv("DUNAX_BUILD_DIR");
  ASSERT_NE(build, nullptr);
  testing::writeFile("lib/SP2MF.so", "not a module");
  std::filesystem::create_symlink(std::string(build) + "/tests/doubles/SP2.so", "lib/SP2.so");
  ScopedVariable path("COB_LIBRARY_PATH", (root() / "lib").c_str());
  ScopedVariable log("DUNAX_SP2_LOG", (root() / "sp2.log").c_str());
  ScreenByName library;
  unsigned char close[2] = {0, 0};
  platform::Expected<int> result = library.call(layouts::screen_function::kEndLibrary, close);
  library.release();
  ASSERT_TRUE(result.ok()) << result.status().message();
  EXPECT_EQ("16", testing::readFile("sp2.log").substr(0, 2));
}

TEST_F(MainSequence, NeitherLibraryFoundEndsWithoutCalls) {
  FakeLibrary library;
  library.missing = true;
  EXPECT_EQ(kExitLibraryMissing, runMainSequence(library, atTheStamp));
  EXPECT_TRUE(library.calls.empty());
}

TEST_F(MainSequence, ReplyKeepsTagStampAndRest) {
  FakeLibrary library;
  Job request = makeJob("REN  ", "OLD", "NEW");
  testing::writeFile("OLD", "x");
  library.post(request.record);
  runMainSequence(library, atTheStamp);
  ExchangeRecord reply;
  std::memcpy(layouts::bytesOf(reply), library.current, 256);
  EXPECT_EQ(0, std::memcmp(layouts::bytesOf(reply), "#VRD#12345678RESPOK   ", 22));
  EXPECT_EQ(0, std::memcmp(layouts::bytesOf(reply) + 22, layouts::bytesOf(request.record) + 22, 234));
  for (int i = 256; i < 1000; ++i) ASSERT_EQ(' ', library.current[i]);
}

TEST_F(MainSequence, OnlyARequestIsCarriedOut) {
  FakeLibrary library;
  Job old = makeJob("OK   ", "echo ran > RAN.TXT");
  std::memcpy(old.record.typeWord, "FIM ", 4);
  library.post(old.record);
  runMainSequence(library, atTheStamp);
  EXPECT_FALSE(std::filesystem::exists("RAN.TXT"));
  EXPECT_EQ(0, std::memcmp(library.current, "#VRD#12345678RESPERRO ", 22));
}

TEST_F(MainSequence, NothingPostedIsAnsweredErro) {
  FakeLibrary library;
  runMainSequence(library, atTheStamp);
  EXPECT_EQ(0, std::memcmp(library.current + 13, "RESPERRO ", 9));
}

TEST_F(MainSequence, MixedCaseVerbGoesToTheShell) {
  FakeLibrary library;
  testing::writeFile("A.DAT", "x");
  library.post(makeJob("Copy ", "cp A.DAT B.DAT").record);
  runMainSequence(library, atTheStamp);
  EXPECT_EQ("x", testing::readFile("B.DAT"));
  EXPECT_EQ(0, std::memcmp(library.current + 13, "RESPOK   ", 9));
}

TEST_F(MainSequence, WaitEndsWithoutTheEndMessage) {
  FakeLibrary library;
  library.post(makeJob("CDDIR").record);
  runMainSequence(library, atTheStamp);
  EXPECT_GT(library.fetches, 1);
  EXPECT_EQ(16, library.calls.back().operation);
  EXPECT_EQ(12, library.calls[library.calls.size() - 2].operation);
}

TEST_F(MainSequence, WaitEndsAtTheEndMessage) {
  FakeLibrary library;
  library.post(makeJob("CDDIR").record);
  library.afterPost = [&library] { std::memcpy(library.current + 13, "FIM ", 4); };
  runMainSequence(library, atTheStamp);
  EXPECT_EQ(2, library.fetches);  // the request, then the end message at once
}

TEST_F(MainSequence, EndMessageOfAnotherStampDoesNotEndTheWait) {
  FakeLibrary library;
  library.post(makeJob("CDDIR").record);
  library.afterPost = [&library] {
    std::memcpy(library.current + 5, "99999999FIM ", 12);
  };
  runMainSequence(library, atTheStamp);
  EXPECT_GT(library.fetches, 2);
}

TEST_F(MainSequence, RefusedReplyIsPostedABoundedNumberOfTimes) {
  FakeLibrary library;
  library.post(makeJob("CDDIR").record);
  library.refusePosts = true;
  runMainSequence(library, atTheStamp);
  EXPECT_EQ(kReplyPostAttempts, library.posts);
  EXPECT_EQ(16, library.calls.back().operation);
}


// The reply's notes after the record: the command's exit status at text offset 256 (10 digits)
// and the reason of an "ERRO " at 266 (160 bytes), spaces otherwise up to 1000.
TEST_F(MainSequence, NotesCarryTheExitStatusAndTheReason) {
  FakeLibrary library;
  auto notes = [&library] { return std::string(reinterpret_cast<char*>(library.current), 1000); };
  library.post(makeJob("EXECU", "exit 7").record);
  runMainSequence(library, atTheStamp);
  EXPECT_EQ("RESPOK   0000000007" + std::string(734, ' '),
            notes().substr(13, 9) + notes().substr(256));
  testing::writeFile("FULL/x", "1");
  library.post(makeJob("RMDIR", "FULL").record);
  runMainSequence(library, atTheStamp);
  const std::string reason = "FULL: the folder is not empty";
  EXPECT_EQ("RESPERRO " + std::string(10, ' ') + reason + std::string(734 - reason.size(), ' '),
            notes().substr(13, 9) + notes().substr(256));
}

// A request older than the limit by its stamp (one left behind by a client that gave up) is
// answered "ERRO " with the reason, and nothing is carried out.
TEST_F(MainSequence, ARequestTooOldByItsStampIsNotCarriedOut) {
  FakeLibrary library;
  library.post(makeJob("EXECU", "echo ran > RAN.TXT").record);
  runMainSequence(library, [](char out[8]) { std::memcpy(out, "12353000", 8); });
  EXPECT_FALSE(std::filesystem::exists("RAN.TXT"));
  EXPECT_EQ(0, std::memcmp(library.current, "#VRD#12345678RESPERRO ", 22));
  const std::string reason =
      "the request is 33 s old by its stamp 12345678 (limit 30 s); not carried out ";
  EXPECT_EQ(reason, std::string(reinterpret_cast<char*>(library.current) + 266, reason.size()));
}

TEST(RequestAge, JudgedOnTheCircleOfTheDay) {
  const std::tuple<const char*, const char*, bool> cases[] = {  // stamp, now, carried out
      {"12345678", "12345678", true},
      {"12345678", "12352678", true},   // 30 s: the limit itself
      {"12345678", "12352679", false},  // a hundredth past it
      {"23595000", "00001000", true},   // 20 s, across midnight
      {"00001000", "23595000", true},   // 20 s ahead, across midnight: a clock set back
      {"12350000", "12340000", false},  // a minute ahead
      {"12345678", "13345678", false},  // an hour: a clock moved on, or a request left behind
      {"1234567X", "12345678", false},  // no time of day
      {"24000000", "00000000", false},
      {"12605678", "12345678", false},
  };
  for (const auto& [stamp, now, carriedOut] : cases) {
    EXPECT_EQ(carriedOut, !judgeRequestAge(stamp, now).has_value()) << stamp << " at " << now;
  }
}

}  // namespace
}  // namespace dunax::executor
