// Building the record-access program with GnuCOBOL: cobc found on the PATH, run as a child
// process on the generated source, its messages shown with the description's own line numbers
// where the line came from the description; then the module asked the size of each record.
#pragma once

#include <string>
#include <vector>

#include "generator/program_text.h"

namespace dunax::generator {

// Returns the path of cobc on the PATH; empty when there is none.
std::string findCobc();

struct BuildRequest {
  std::string cobc;            // the compiler
  std::string workDirectory;   // where NAME.cob lies and NAME.so is made
  std::string name;            // the program's name
  bool freeFormat = false;
  std::string runtimeArchive;  // the C entries the program calls (DXGHOST, DXGPUB, ...)
  std::string copyDirectory;   // where COPY finds the description's copybooks
  std::string descriptionName; // the description as the user named it, for the messages
};

// Compiles workDirectory/NAME.cob into workDirectory/NAME.so. Returns true when cobc succeeded;
// cobc's messages (warnings too) are written on standard error either way, each line naming
// the description's line where the source line came from it.
bool buildModule(const BuildRequest& request, const ProgramText& program);

// Rewrites cobc's messages: "NAME.cob:N:" becomes "DESCRIPTION:M:" where line N of the source
// is line M of the description, "NAME.cob (generated):N:" otherwise.
std::string describeMessages(const std::string& messages, const std::string& sourceName,
                             const std::string& descriptionName, const std::vector<int>& origin);

// Loads workDirectory/NAME.so and asks it the byte length of each of its 01 records (request
// "SIZ"). Returns the lengths in the order of the records, or an empty list with why in error.
std::vector<unsigned long> recordSizes(const std::string& workDirectory, const std::string& name,
                                       std::size_t recordCount, std::string& error);

}  // namespace dunax::generator
