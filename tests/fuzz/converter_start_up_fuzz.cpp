// Fuzz target: the converter's run parameter through the start-up pieces: the command line read
// into the 121-character run parameter, the request block filled from it, the panel's values
// (name, number and total, percentage and bar, remaining-time sentence), the transfer file's
// name, and the segment logic of both directions with its names. The record files are the
// in-memory host's, so no segment is ever created on a disk; the screen library is not loaded.
//
// Input: the command line, its arguments separated by NUL bytes (at most 16).
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "converter/access/request_block.h"
#include "converter/interruption.h"
#include "converter/progress.h"
#include "converter/run_parameter.h"
#include "converter/screen/screen_library.h"
#include "converter/transfer_file.h"
#include "dialogs/dialog_service.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/in_memory_platform.h"

namespace {

using namespace dunax::converter;
namespace layouts = dunax::layouts;
using layouts::textOf;

void checkRequestBlock(const RunParameter& parameter) {
  static access::RequestBlock block;
  std::memset(layouts::bytesOf(block), 0xA5, sizeof block);
  access::fillRequestBlock(block, parameter);
  const unsigned char* b = layouts::bytesOf(block);
  DUNAX_FUZZ_CHECK(block.blockVersion[0] == '2');
  DUNAX_FUZZ_CHECK(b[1] == 0 && b[2] == 0 && b[3] == 0);
  DUNAX_FUZZ_CHECK(textOf(block.passThroughA) == textOf(parameter.passThroughA));
  DUNAX_FUZZ_CHECK(textOf(block.passThroughB) == textOf(parameter.passThroughB));
  DUNAX_FUZZ_CHECK(textOf(block.zeros) == "0000000000");
  DUNAX_FUZZ_CHECK(textOf(block.passThroughE) == textOf(parameter.passThroughE));
  DUNAX_FUZZ_CHECK(textOf(block.dataFileName) == textOf(parameter.dataFileName));
  DUNAX_FUZZ_CHECK(textOf(block.passThroughC) == textOf(parameter.passThroughC));
  DUNAX_FUZZ_CHECK(textOf(block.passThroughD) == textOf(parameter.passThroughD));
  DUNAX_FUZZ_CHECK(block.separator[0] == ' ');
  DUNAX_FUZZ_CHECK(textOf(block.passThroughAAgain) == textOf(parameter.passThroughA));
  DUNAX_FUZZ_CHECK(textOf(block.passThroughF) == textOf(parameter.passThroughF));
  // Nothing else is set by the converter: zero bytes.
  for (std::size_t i = offsetof(layouts::RequestBlock, unset5); i < access::kRequestBlockLength; ++i) {
    DUNAX_FUZZ_CHECK(b[i] == 0);
  }
}

void checkPanel(const RunParameter& parameter) {
  static dunax::converter::screen::ScreenByName screenProgram;
  static dunax::dialogs::MessageBoxByName messageBox;
  static dunax::converter::screen::ScreenLibrary library(screenProgram);
  static dunax::dialogs::DialogService dialogs(messageBox);
  Interruption interruption(library, dialogs);
  Progress progress(library, interruption);
  std::memset(&library.panel(), 0, sizeof library.panel());
  progress.fillFromRunParameter(parameter);
  const layouts::PanelDataRecord& panel = library.panel();
  DUNAX_FUZZ_CHECK(textOf(panel.nome) == textOf(parameter.dataFileName));
  for (const unsigned char colour : panel.barColours) {
    DUNAX_FUZZ_CHECK(colour == 0 || colour == kFilledCellColour);
  }

  char text[kTimeTextLength];
  buildTimeText(textOf(parameter.remainingDays), textOf(parameter.remainingHours),
                textOf(parameter.remainingMinutes), textOf(parameter.remainingSeconds), text);
  DUNAX_FUZZ_CHECK(std::memcmp(text, panel.dspTempo, kTimeTextLength) == 0);
}

// The name differs from segment 0's only in the one character after the first ".bi".
void checkSegmentName(const TransferFile& file, const char* base) {
  int differences = 0;
  for (std::size_t i = 0; i < kTransferNameLength; ++i) {
    if (file.name()[i] != base[i]) {
      ++differences;
      DUNAX_FUZZ_CHECK(i >= 3 && i < layouts::kSegmentMarkLastStart + 3);
      DUNAX_FUZZ_CHECK(std::memcmp(file.name() + i - 3, ".bi", 3) == 0);
      DUNAX_FUZZ_CHECK(file.name()[i] >= '1' && file.name()[i] <= '9');
    }
  }
  DUNAX_FUZZ_CHECK(differences <= 1);
}

void checkTransferFile(const RunParameter& parameter) {
  TransferFile file;
  file.buildName(parameter);
  char base[kTransferNameLength];
  std::memcpy(base, file.name(), sizeof base);
  std::string_view name = dataFileNameUpToSpace(parameter);
  DUNAX_FUZZ_CHECK(name.size() <= 50);
  DUNAX_FUZZ_CHECK(std::memcmp(base, name.data(), name.size()) == 0);
  DUNAX_FUZZ_CHECK(std::memcmp(base + name.size(), ".bin", 4) == 0);
  for (std::size_t i = name.size() + 4; i < kTransferNameLength; ++i) {
    DUNAX_FUZZ_CHECK(base[i] == ' ');
  }

  // Direction "B": ten switches at most; after nine extra segments the limit status.
  file.startOutputSegments();
  file.openForOutput();
  for (int i = 0; i < layouts::kMostExtraSegments + 2; ++i) {
    dunax::platform::FileStatus status = file.switchToNextOutputSegment();
    checkSegmentName(file, base);
    DUNAX_FUZZ_CHECK(file.extraSegments() <= layouts::kMostExtraSegments);
    if (!status.ok()) break;
  }
  file.close();

  // Direction "X": the announced segments, each reached at most once.
  if (file.takeAnnouncedSegments(parameter)) {
    DUNAX_FUZZ_CHECK(std::memcmp(file.name(), base, sizeof base) == 0);
    int switches = 0;
    while (file.hasFurtherInputSegment()) {
      file.switchToNextInputSegment();
      checkSegmentName(file, base);
      DUNAX_FUZZ_CHECK(++switches <= layouts::kMostExtraSegments);
    }
  }
  file.close();
}

}  // namespace

// The screen library is looked for nowhere it could be found, so that no module is loaded.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  setenv("COB_LIBRARY_PATH", "/nonexistent/dunax-fuzz", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dunax::fuzz::resetMemoryHost();
  std::vector<std::string> arguments{"DUNAXMF"};
  std::string current;
  for (std::size_t i = 0; i < size && arguments.size() < 17; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (arguments.size() < 17) arguments.push_back(current);
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const RunParameter parameter = readRunParameter(static_cast<int>(arguments.size()), argv.data());
  checkRequestBlock(parameter);
  checkPanel(parameter);
  checkTransferFile(parameter);
  return 0;
}
