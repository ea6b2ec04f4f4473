// RECTEST: a scripted record-access program for the converter's tests. Driven by environment
// variables read at its first call:
//   RECTEST_RECORDS=N      records served by "RN "/"ARN" before end of file ("10")
//   RECTEST_LENGTH=L       bytes of each served record written into the record area (1024)
//   RECTEST_STATUS=list    "call:status,..." answers status at that call number (counted over
//                          the whole process from 1); %HH in a status stands for a byte value
//   RECTEST_END=XX         status at end of file (default "10")
//   RECTEST_LOG=path       one line per call: call number, request code, status answered
//   RECTEST_BLOCKS=path    the 2280 bytes of every block as received, one after the other
//   RECTEST_OUTPUT=path    the first 1024 bytes of every write answered "00" or "02"
//   RECTEST_SUMMARY=path   at every "CL ": "reads R writes W" of the file just closed
//   RECTEST_DELAY_US=U     every read or write takes U microseconds more (a slow disk)
//   RECTEST_TERMINATE=N    at call N, once its answer is in the block, the program sends a
//                          termination request (SIGTERM) to its own process, as a manager
//                          ending the converter at that very moment would
// Served record i (from 1): "R" and i in 9 digits, then bytes (i * 7 + k) mod 256.
// Linked so that it stays in memory when released: call numbers count across attempts.
#include <time.h>

#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "layouts/request_block.h"
#include "platform/module_export.h"
#include "platform/module_pin.h"
#include "tests/doubles/numbered_list.h"

namespace {

using dunax::layouts::RequestBlock;


struct Script {
  bool loaded = false;
  long records = 0;
  long length = 1024;
  std::map<long, std::string> statuses;
  std::string endStatus = "10";
  std::string logPath, blocksPath, outputPath, summaryPath;
  long calls = 0;
  long served = 0;
  long written = 0;
  long delayMicroseconds = 0;
  long terminateAt = 0;
};

Script& script() {
  static Script s;
  return s;
}

std::string decodeStatus(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  out.resize(2, ' ');
  return out;
}

void loadScript(Script& s) {
  s.loaded = true;
  if (const char* v = std::getenv("RECTEST_RECORDS")) s.records = std::atol(v);
  if (const char* v = std::getenv("RECTEST_LENGTH")) s.length = std::atol(v);
  if (const char* v = std::getenv("RECTEST_END")) s.endStatus = decodeStatus(v);
  if (const char* v = std::getenv("RECTEST_LOG")) s.logPath = v;
  if (const char* v = std::getenv("RECTEST_BLOCKS")) s.blocksPath = v;
  if (const char* v = std::getenv("RECTEST_OUTPUT")) s.outputPath = v;
  if (const char* v = std::getenv("RECTEST_SUMMARY")) s.summaryPath = v;
  if (const char* v = std::getenv("RECTEST_DELAY_US")) s.delayMicroseconds = std::atol(v);
  if (const char* v = std::getenv("RECTEST_TERMINATE")) s.terminateAt = std::atol(v);
  for (const auto& [call, status] : dunax::doubles::readNumberedList(std::getenv("RECTEST_STATUS"))) {
    s.statuses[call] = decodeStatus(status);
  }
}

void append(const std::string& path, const void* bytes, std::size_t length) {
  if (path.empty()) return;
  if (FILE* f = std::fopen(path.c_str(), "ab")) {
    std::fwrite(bytes, 1, length, f);
    std::fclose(f);
  }
}

void serveRecord(unsigned char* area, long number, long length) {
  unsigned char record[sizeof(RequestBlock::recordArea)];
  char head[16];
  std::snprintf(head, sizeof head, "R%09ld", number % 1000000000);
  std::memcpy(record, head, 10);
  const long areaLength = static_cast<long>(sizeof record);
  for (long k = 10; k < length && k < areaLength; ++k) {
    record[k] = static_cast<unsigned char>((number * 7 + k) % 256);
  }
  std::memcpy(area, record, static_cast<std::size_t>(length < areaLength ? length : areaLength));
}

}  // namespace

extern "C" DUNAX_EXPORT int RECTEST(void* blockArgument) {
  dunax::platform::keepThisModuleLoaded();  // the call numbers count over the process
  auto* block = static_cast<RequestBlock*>(blockArgument);
  Script& s = script();
  if (!s.loaded) loadScript(s);
  ++s.calls;
  append(s.blocksPath, block, sizeof *block);
  std::string code(block->requestCode, sizeof block->requestCode);
  std::string status = "00";
  if (s.delayMicroseconds > 0 && code != "CL ") {
    struct timespec pause = {0, s.delayMicroseconds * 1000};
    nanosleep(&pause, nullptr);
  }
  if (code == "ST " || code == "AST" || code == "TST" || code == "OU ") {
    s.served = 0;
    s.written = 0;
  } else if (code == "RN " || code == "ARN") {
    if (s.served < s.records) {
      ++s.served;
      serveRecord(block->recordArea, s.served, s.length);
    } else {
      status = s.endStatus;
    }
  }
  auto scripted = s.statuses.find(s.calls);
  if (scripted != s.statuses.end()) status = scripted->second;
  if ((code == "WR " || code == "AWR") && (status == "00" || status == "02")) {
    ++s.written;
    append(s.outputPath, block->recordArea, dunax::layouts::kTransferRecordLength);
  }
  if (code == "CL " && !s.summaryPath.empty()) {
    std::string summary =
        "reads " + std::to_string(s.served) + " writes " + std::to_string(s.written) + "\n";
    append(s.summaryPath, summary.data(), summary.size());
  }
  std::memcpy(block->fileStatus, status.data(), sizeof block->fileStatus);
  if (!s.logPath.empty()) {
    char line[64];
    int n = std::snprintf(line, sizeof line, "%ld %s %c%c\n", s.calls, code.c_str(),
                          status[0] >= 0x20 ? status[0] : '?', status[1] >= 0x20 ? status[1] : '?');
    append(s.logPath, line, static_cast<std::size_t>(n));
  }
  if (s.calls == s.terminateAt) std::raise(SIGTERM);
  return 0;
}
