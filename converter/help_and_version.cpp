// The converter's usage paragraph and version line.
#include "converter/help_and_version.h"

#include "platform/help_and_version.h"

namespace dunax::converter {
namespace {

constexpr char kUsage[] =
    "Usage: DUNAXMF RUN-PARAMETER\n"
    "\n"
    "DUNAXMF, the converter of dunax, converts one COBOL data file per run: direction \"B\"\n"
    "from the data file to its transfer file NAME.bin (and NAME.bi1 to NAME.bi9), direction\n"
    "\"X\" from the transfer file back to the data file, every record through the\n"
    "record-access program named in the run parameter. It is started by dunaxconv, or by\n"
    "another conversion manager, with one run parameter of 121 characters (direction,\n"
    "program, pass-through fields, file name, file number and total, time estimate, segment\n"
    "count, ask flag); see 'man DUNAXMF' or the README for its positions.\n"
    "\n"
    "Exit codes: 0-9 the file was converted (\"B\": the number of extra transfer-file\n"
    "segments written); 16 abort the whole conversion (also a bad direction letter, as\n"
    "here); 32 the file was given up, the conversion may go on.";

}  // namespace

bool answerHelpOrVersion(int argc, char** argv) {
  return platform::answerHelpOrVersion(argc, argv, "DUNAXMF", kUsage);
}

}  // namespace dunax::converter
