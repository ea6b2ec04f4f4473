// Fuzz target: the executor's plain functions checked against what they promise: the switch
// rewriting of the 256-byte command buffer, the last separator or wildcard of an argument, the
// overlay of an entry name with a destination name pattern, and the host's wildcard match.
//
// Input: 256 bytes of command buffer, 80 bytes of argument, 40 bytes of name pattern, then the
// rest as a wildcard pattern and a name separated by the first NUL (missing parts are spaces).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "executor/commands.h"
#include "platform/directory_search.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr std::size_t kBuffer = 256;
constexpr std::size_t kArgument = 80;
constexpr std::size_t kPattern = 40;

// Takes width bytes from the input into area, spaces where the input has run out.
void take(const std::uint8_t*& data, std::size_t& size, char* area, std::size_t width) {
  std::memset(area, ' ', width);
  std::size_t n = size < width ? size : width;
  std::memcpy(area, data, n);
  data += n;
  size -= n;
}

void checkSwitchRewriting(const char* input) {
  static const char* const kPatterns[] = {"\\S ", "\\s ", "\\Q ", "\\q ", "\\Y ",
                                          "\\y ", "\\B ", "\\b ", " \\v\\i\\e", " \\d\\v\\i\\e"};
  char buffer[kBuffer];
  std::memcpy(buffer, input, kBuffer);
  dunax::executor::rewriteSwitches(buffer);
  // Only backslashes turn into slashes; nothing else changes.
  for (std::size_t i = 0; i < kBuffer; ++i) {
    DUNAX_FUZZ_CHECK(buffer[i] == input[i] || (input[i] == '\\' && buffer[i] == '/'));
  }
  // No switch spelling is left anywhere in the buffer.
  const std::string_view rewritten(buffer, kBuffer);
  for (const char* pattern : kPatterns) {
    DUNAX_FUZZ_CHECK(rewritten.find(pattern) == std::string_view::npos);
  }
  // A second pass finds nothing more to do.
  char again[kBuffer];
  std::memcpy(again, buffer, kBuffer);
  dunax::executor::rewriteSwitches(again);
  DUNAX_FUZZ_CHECK(std::memcmp(again, buffer, kBuffer) == 0);
}

void checkLastSeparator(const char* argument) {
  std::size_t expected = 0;
  for (std::size_t p = 1; p <= kArgument; ++p) {
    char c = argument[p - 1];
    if (c == '\\' || c == '*' || c == '?') expected = p;
  }
  DUNAX_FUZZ_CHECK(dunax::executor::findLastSeparatorOrWildcard(argument) == expected);
}

void checkOverlay(const char* argument, const char* pattern) {
  char name[kArgument];
  std::memcpy(name, argument, kArgument);
  dunax::executor::overlayName(name, pattern);
  bool stopped = false;
  for (std::size_t k = 0; k < kArgument; ++k) {
    if (k >= kPattern || pattern[k] == ' ' || pattern[k] == '*') stopped = true;
    if (stopped || pattern[k] == '?') {
      DUNAX_FUZZ_CHECK(name[k] == argument[k]);
    } else {
      DUNAX_FUZZ_CHECK(name[k] == pattern[k]);
    }
  }
}

void checkWildcard(std::string_view pattern, std::string_view name) {
  using dunax::platform::matchesWildcard;
  DUNAX_FUZZ_CHECK(matchesWildcard(name, name));
  DUNAX_FUZZ_CHECK(matchesWildcard("*", name));
  DUNAX_FUZZ_CHECK(matchesWildcard(pattern, pattern));
  (void)matchesWildcard(pattern, name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  char buffer[kBuffer];
  char argument[kArgument];
  char pattern[kPattern];
  take(data, size, buffer, kBuffer);
  take(data, size, argument, kArgument);
  take(data, size, pattern, kPattern);
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::size_t nul = rest.find('\0');
  std::string_view wildcard = rest.substr(0, nul);
  std::string_view name = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);

  checkSwitchRewriting(buffer);
  checkLastSeparator(argument);
  checkOverlay(argument, pattern);
  checkWildcard(wildcard.substr(0, 512), name.substr(0, 512));
  return 0;
}
