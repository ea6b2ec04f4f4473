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

#include "layouts/byte_fields.h"
#include "layouts/panel_records.h"
#include "layouts/screen_functions.h"
#include "platform/module_export.h"
#include "platform/module_pin.h"
#include "tests/doubles/numbered_list.h"

namespace {

namespace layouts = dunax::layouts;
namespace function = layouts::screen_function;

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
    case function::kDefinePanel: return layouts::kPanelDefinitionLength;
    case function::kOpenWindow: case function::kApplyWindow: case function::kReadWindow:
      return layouts::kWindowRecordLength;
    case function::kDisplayPanel: return layouts::kPanelDataLength;
    case function::kClosePanel: return layouts::kPanelCloseLength;
    case function::kCloseWindow: return layouts::kWindowCloseLength;
    default: return 0;
  }
}

// Where the value of a field id lies in the panel data record, and its length.
bool fieldValue(int id, std::size_t& offset, std::size_t& length) {
  using layouts::PanelDataRecord;
  if (id == layouts::kLidosFieldId) {
    offset = offsetof(PanelDataRecord, lidos);
    length = sizeof(PanelDataRecord::lidos);
    return true;
  }
  if (id == layouts::kEscritosFieldId) {
    offset = offsetof(PanelDataRecord, escritos);
    length = sizeof(PanelDataRecord::escritos);
    return true;
  }
  return false;
}

}  // namespace

extern "C" DUNAX_EXPORT int SP2MF(void* codeArgument, void* record) {
  dunax::platform::keepThisModuleLoaded();  // the call numbers count over the process
  State& s = state();
  if (!s.loaded) load(s);
  const auto* codeBytes = static_cast<const unsigned char*>(codeArgument);
  int function = layouts::readBigEndian16(codeBytes);
  auto* bytes = static_cast<unsigned char*>(record);
  if (function == function::kRefreshField && s.delayMicroseconds > 0) {
    struct timespec pause = {0, s.delayMicroseconds * 1000};
    nanosleep(&pause, nullptr);
  }
  if (function == function::kDisplayPanel) {
    s.panel = bytes;
    ++s.displays;
    auto key = s.keys.find(s.displays);
    if (key != s.keys.end()) {
      layouts::putBigEndian16(static_cast<layouts::PanelDataRecord*>(record)->keyCode, key->second);
    }
  }
  if (s.logPath.empty()) return 0;
  std::string line = std::to_string(function);
  if (function == function::kRefreshField) {
    int id = layouts::readBigEndian16(static_cast<layouts::FieldRefreshRecord*>(record)->fieldId);
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
