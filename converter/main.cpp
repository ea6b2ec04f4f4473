// DUNAXMF, the converter: one data file per run, direction "B" (data file to transfer file)
// or "X" (transfer file to data file), ending with the exit code its manager acts on.
#include "converter/start_up.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  dunax::platform::endProcess(dunax::converter::runConverter(argc, argv));
}
