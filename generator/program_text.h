// The COBOL source of a record-access program made from a description: the template with the
// description's SELECT rewritten (the file assigned to the request block's name, the
// program's own file status) and its FD copied as written.
#pragma once

#include <string>
#include <vector>

#include "generator/description.h"

namespace dunax::generator {

struct ProgramText {
  std::string source;
  // For each line of source (from 0), the description's line it came from; 0 for the
  // program's own lines.
  std::vector<int> origin;
};

// True when the records of the file vary in length (OCCURS DEPENDING ON, RECORD VARYING
// DEPENDING ON) and the program measures each one; a line sequential file never needs it.
bool hasVaryingLength(const Description& description);

// Returns the program NAME for description (read from the file descriptionName).
ProgramText makeProgramText(const Description& description, const std::string& name,
                            const std::string& descriptionName);

}  // namespace dunax::generator
