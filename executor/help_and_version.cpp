// The executor's usage paragraph and version line.
#include "executor/help_and_version.h"

#include "platform/help_and_version.h"

namespace dunax::executor {
namespace {

constexpr char kUsage[] =
    "Usage: DUNAXSYS (no arguments)\n"
    "\n"
    "DUNAXSYS, the executor of dunax, carries out one file-system command for a requesting\n"
    "program of the suite (MKDIR, RMDIR, CDDIR, COPY/COPIA, DEL/APAGA, REN, EXECU, DIR; any\n"
    "other verb runs a shell command) and ends. It is started by a requesting program such as\n"
    "dunaxreq, which first posts the request as the user's current message of the screen\n"
    "library SP2MF; DUNAXSYS fetches it, posts the reply (\"OK   \" or \"ERRO \", with the\n"
    "reason of an \"ERRO \" and a command's exit status after the record) and waits briefly\n"
    "for the end message. A request stamped more than 30 s away from its own time of day is\n"
    "not carried out. Run it through dunaxreq: see 'man DUNAXSYS' and 'dunaxreq --help'.\n"
    "\n"
    "Exit code: the return code of the screen library's last call (0 with the library of the\n"
    "suite); 255 when the screen library cannot be found. The outcome of the command is in\n"
    "the reply, not in the exit code.";

}  // namespace

bool answerHelpOrVersion(int argc, char** argv) {
  return platform::answerHelpOrVersion(argc, argv, "DUNAXSYS", kUsage);
}

}  // namespace dunax::executor
