// Reading the run parameter from the command line.
#include "converter/run_parameter.h"

#include "layouts/byte_fields.h"
#include "layouts/transfer_segments.h"
#include "platform/command_line.h"

namespace dunax::converter {

RunParameter readRunParameter(int argc, char** argv) {
  RunParameter parameter{};
  platform::readCommandLine(argc, argv, reinterpret_cast<char*>(&parameter), kRunParameterLength,
                            kCommandLineReadLength);
  return parameter;
}

RunParameter runParameterFromText(std::string_view text) {
  RunParameter parameter;
  layouts::putPadded(reinterpret_cast<char*>(&parameter), kRunParameterLength, text);
  return parameter;
}

std::string_view dataFileNameUpToSpace(const RunParameter& parameter) {
  return layouts::segmentDataName(layouts::textOf(parameter.dataFileName));
}

}  // namespace dunax::converter
