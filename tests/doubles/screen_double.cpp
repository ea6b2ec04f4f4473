// A recording screen library (SP2MF) for the converter's tests. Driven by environment
// variables read at its first call:
//   SP2TEST_LOG=path    one line per call: the function code, then for function 58 the field
//                       id and the value that field holds now in the kept panel data record,
//                       for the others the length of the record and its bytes in hex
//   SP2TEST_KEYS=list   "n:key,..." puts key into the key code at the n-th function 19 call
//   SP2TEST_DELAY_US=U  every field refresh (function 58) takes U microseconds more, so that a
//                       run lasts long enough to be stopped in the middle
// The records are checked byte for byte by the tests.
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "tests/doubles/numbered_list.h"

namespace {

struct State {
  bool loaded = false;
  std::string logPath;
  std::map<long, int> keys;
  long displays = 0;
  long delayMicroseconds = 0;
  unsigned char* panel = nullptr;
};

State& state() {
  static State s;
  return s;
}

void load(State& s) {
  s.loaded = true;
  if (const char* v = std::getenv("SP2TEST_LOG")) s.logPath = v;
  if (const char* v = std::getenv("SP2TEST_DELAY_US")) s.delayMicroseconds = std::atol(v);
  for (const auto& [display, key] : dunax::doubles::readNumberedList(std::getenv("SP2TEST_KEYS"))) {
    s.keys[display] = std::atoi(key.c_str());
  }
}

std::size_t recordLength(int function) {
  switch (function) {
    case 128: return 3672;
    case 0: case 33: case 34: return 188;
    case 19: return 437;
    case 15: return 10;
    case 12: return 2;
    default: return 0;
  }
}

// Where the value of a field id lies in the panel data record, and its length.
bool fieldValue(int id, std::size_t& offset, std::size_t& length) {
  if (id == 20) { offset = 343; length = 9; return true; }
  if (id == 1) { offset = 352; length = 9; return true; }
  return false;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SP2MF(void* codeArgument, void* record) {
  State& s = state();
  if (!s.loaded) load(s);
  const auto* codeBytes = static_cast<const unsigned char*>(codeArgument);
  int function = static_cast<std::int16_t>((codeBytes[0] << 8) | codeBytes[1]);
  auto* bytes = static_cast<unsigned char*>(record);
  if (function == 58 && s.delayMicroseconds > 0) {
    struct timespec pause = {0, s.delayMicroseconds * 1000};
    nanosleep(&pause, nullptr);
  }
  if (function == 19) {
    s.panel = bytes;
    ++s.displays;
    auto key = s.keys.find(s.displays);
    if (key != s.keys.end()) {
      auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(key->second));
      bytes[22] = static_cast<unsigned char>(bits >> 8);
      bytes[23] = static_cast<unsigned char>(bits & 0xFF);
    }
  }
  if (s.logPath.empty()) return 0;
  std::string line = std::to_string(function);
  if (function == 58) {
    int id = (bytes[32] << 8) | bytes[33];
    line += " " + std::to_string(id);
    std::size_t offset = 0, length = 0;
    if (s.panel != nullptr && fieldValue(id, offset, length)) {
      line += " " + std::string(reinterpret_cast<char*>(s.panel + offset), length);
    }
  } else {
    std::size_t length = recordLength(function);
    line += " " + std::to_string(length) + " ";
    static const char hex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < length; ++i) {
      line += hex[bytes[i] >> 4];
      line += hex[bytes[i] & 15];
    }
  }
  line += '\n';
  if (FILE* f = std::fopen(s.logPath.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
  return 0;
}
