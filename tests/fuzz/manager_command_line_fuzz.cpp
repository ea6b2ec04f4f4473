// Fuzz target: the conversion manager dunaxconv reading what it is given: its arguments and the
// lines of a data file list (--list), the checks of names and fields, and the run parameter it
// builds for each file, which must always be 121 characters whose fields hold what was checked.
//
// Input: arguments separated by NUL bytes (at most 24); after a second NUL in a row, the text
// of a list file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "manager/options.h"
#include "manager/run_parameter.h"
#include "manager/segments.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dunax::manager;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view listText;
  const std::size_t split = input.find(std::string_view("\0\0", 2));
  if (split != std::string_view::npos) {
    listText = input.substr(split + 2);
    input = input.substr(0, split);
  }
  std::vector<std::string> arguments;
  while (!input.empty() && arguments.size() < 24) {
    const std::size_t nul = input.find('\0');
    arguments.emplace_back(input.substr(0, nul));
    input = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
  }

  const dunax::platform::Expected<Options> options = parseArguments(arguments);
  std::vector<std::string> names = options.valueOr(Options()).files;
  while (!listText.empty() && names.size() < 64) {
    const std::size_t end = listText.find('\n');
    const std::string name = dataFileNameOfListLine(std::string(listText.substr(0, end)));
    if (!name.empty()) names.push_back(name);
    listText = end == std::string_view::npos ? std::string_view() : listText.substr(end + 1);
  }
  std::vector<DataFile> files;
  const std::vector<std::string> refused = checkDataFiles(names, &files);
  if (!options || options->help || !refused.empty()) return 0;

  FilePlace place;
  place.total = files.size();
  for (std::size_t i = 0; i < files.size(); ++i) {
    place.fileName = files[i].windows1252;
    place.number = i + 1;
    place.segments = static_cast<int>(i % 10);
    const RunParameterText parameter = buildRunParameter(options->settings, place);
    const std::string text(parameter.data(), parameter.size());
    DUNAX_FUZZ_CHECK(text.size() == 121);
    DUNAX_FUZZ_CHECK(text[0] == options->settings.direction);
    // The data file name stands whole at positions 31-80, space-padded.
    const std::string& name = files[i].windows1252;
    DUNAX_FUZZ_CHECK(name.size() <= 50 && text.compare(30, name.size(), name) == 0);
    DUNAX_FUZZ_CHECK(text.find_first_not_of(' ', 30 + name.size()) >= 80);
    for (int segment = 0; segment <= 9; ++segment) {
      const std::string segmentName = transferSegmentName(name, segment);
      DUNAX_FUZZ_CHECK(segment == 0 ? segmentName == name + ".bin"
                                    : segmentName.empty() || segmentName.size() == name.size() + 4);
    }
  }
  return 0;
}
