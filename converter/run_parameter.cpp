// Reading the run parameter from the command line.
#include "converter/run_parameter.h"

#include <cstring>

#include "platform/command_line.h"

namespace dunax::converter {

RunParameter readRunParameter(int argc, char** argv) {
  RunParameter parameter{};
  platform::readCommandLine(argc, argv, parameter.text, kRunParameterLength,
                            kCommandLineReadLength);
  return parameter;
}

RunParameter runParameterFromText(std::string_view text) {
  RunParameter parameter;
  std::memset(parameter.text, ' ', kRunParameterLength);
  std::memcpy(parameter.text, text.data(),
              text.size() < kRunParameterLength ? text.size() : kRunParameterLength);
  return parameter;
}

std::string_view dataFileNameUpToSpace(const RunParameter& parameter) {
  std::string_view name = parameter.field(run_fields::kDataFileName);
  std::size_t space = name.find(' ');
  return space == std::string_view::npos ? name : name.substr(0, space);
}

}  // namespace dunax::converter
