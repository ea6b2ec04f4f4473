// Test program for the message box in a real terminal: installs its own SIGTERM and SIGHUP
// handler that only notes the signal (as a program that ends tidily does), then asks a
// confirmation through VRDMSG.so.
// Usage: vrdmsg_box_driver RESULT-FILE
// Writes "pid P" before the box, then "answer A" and "noted N" (the signal its own handler saw,
// 0 for none) after it. Exits 0, or 2 when VRDMSG cannot be loaded.
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "platform/program_call.h"

namespace {

volatile sig_atomic_t gNoted = 0;

void note(int signal) { gNoted = signal; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 1;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = note;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);

  std::ofstream result(argv[1], std::ios::app);
  result << "pid " << getpid() << std::endl;
  unsigned char block[246] = {};
  block[0] = 1;
  block[2] = 'q';
  block[3] = 'n';
  block[4] = 'y';
  std::memset(block + 6, ' ', 240);
  std::memcpy(block + 6, "  Ignora este Ficheiro? ", 24);
  block[126] = ' ';
  block[187] = ' ';
  dunax::platform::OutsideProgram box("VRDMSG  ");
  if (!box.call(block).ok()) return 2;
  box.release();
  result << "answer " << static_cast<char>(block[5]) << std::endl;
  result << "noted " << gNoted << std::endl;
  return 0;
}
