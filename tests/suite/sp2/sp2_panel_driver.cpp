// Test program for the panel in a real terminal: loads SP2MF.so by name, opens the converter's
// panel, counts a number of records with the converter's calls (a full display every 100
// records, two field refreshes otherwise), then waits for a close key and reports it.
// Usage: sp2_panel_driver RESULT-FILE RECORDS [close|ask|leave]
// Writes "counted N" to RESULT-FILE after the records, then "key K" with the first key code
// that a full display returned (or "key none" after 30 seconds), then closes the panel and the
// window. With "ask" it first asks the converter's interruption question through VRDMSG.so and
// writes "answer A"; with "leave" it ends the process right after counting, the window still
// open. Exits 0, or 2 when SP2MF or VRDMSG cannot be loaded.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "converter/screen/panel_definition.h"
#include "platform/clock.h"
#include "platform/program_call.h"

namespace {

dunax::platform::OutsideProgram gLibrary("SP2MF   ");

int call(int function, void* record) {
  unsigned char code[2] = {static_cast<unsigned char>((function >> 8) & 0xFF),
                           static_cast<unsigned char>(function & 0xFF)};
  dunax::platform::Expected<int> result = gLibrary.call(code, record);
  if (!result) {
    std::fprintf(stderr, "SP2MF: %s\n", result.status().message().c_str());
    std::exit(2);
  }
  return *result;
}

void put(unsigned char* at, const char* text, std::size_t width) {
  std::memset(at, ' ', width);
  std::memcpy(at, text, std::min(std::strlen(text), width));
}

void putCount(unsigned char* at, long value) {
  for (int i = 8; i >= 0; --i) {
    at[i] = static_cast<unsigned char>('0' + value % 10);
    value /= 10;
  }
}

// Asks the interruption question as the converter does: a confirmation with no as the default.
char askInterruption() {
  unsigned char block[246] = {};
  block[0] = 1;
  block[2] = 'q';
  block[3] = 'n';
  block[4] = 'y';
  put(block + 6, "  Detetado Fecho da Janela!!! ", 60);
  put(block + 66, "  Interrompe a Convers\xE3o? ", 60);
  block[126] = '\n';
  put(block + 127, "  (Se responder \"Sim\" pode retomar", 60);
  block[187] = '\n';
  put(block + 188, "   a Convers\xE3o neste Ponto).      ", 58);
  dunax::platform::OutsideProgram box("VRDMSG  ");
  dunax::platform::Expected<int> result = box.call(block);
  if (!result) {
    std::fprintf(stderr, "VRDMSG: %s\n", result.status().message().c_str());
    std::exit(2);
  }
  box.release();
  return static_cast<char>(block[5]);
}

int keyCode(const unsigned char* data) { return static_cast<std::int16_t>((data[22] << 8) | data[23]); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: sp2_panel_driver RESULT-FILE RECORDS [close|ask|leave]\n");
    return 1;
  }
  std::ofstream result(argv[1], std::ios::app);
  long records = std::atol(argv[2]);
  std::string mode = argc == 4 ? argv[3] : "close";

  static unsigned char definition[dunax::converter::screen::kPanelDefinitionSize];
  dunax::converter::screen::fillPanelDefinition(definition);
  call(128, definition);
  static unsigned char window[188];
  std::memcpy(window + 58, "PDUNAXD ", 8);
  call(0, window);
  std::memcpy(window + 50, "PDUNAXD ", 8);
  call(34, window);
  put(window + 88, "Em Convers\xE3o de MfCobol para RmCobol ...", 100);
  call(33, window);

  static unsigned char data[437];
  std::memcpy(data + 62, "PDUNAXD ", 8);
  data[offsetof(dunax::layouts::PanelDataRecord, displayMode)] = dunax::layouts::kDisplayAndReturnKey;
  putCount(data + 195, 5);
  putCount(data + 204, 10);
  put(data + 213, "  2 Dias  5 Horas  0 Minutos  7 Segundos", 40);
  std::memcpy(data + 265, "050%", 4);
  for (int cell = 1; cell <= 15; ++cell) data[364 + cell] = 20;
  put(data + 283, "CLIENTES.DAT", 50);
  put(data + 333, "1 de 2", 10);
  putCount(data + 343, 0);
  putCount(data + 352, 0);
  call(19, data);

  static unsigned char refresh[10157];
  int key = 0;
  for (long record = 1; record <= records; ++record) {
    putCount(data + 343, record);
    if (record % 100 == 0) {
      call(19, data);
      if (keyCode(data) != 0 && key == 0) key = keyCode(data);
    } else {
      refresh[32] = 0;
      refresh[33] = 20;
      call(58, refresh);
    }
    putCount(data + 352, record);
    refresh[33] = 1;
    call(58, refresh);
  }
  result << "counted " << records << std::endl;
  if (mode == "leave") std::exit(0);

  for (int waited = 0; key == 0 && waited < 3000; ++waited) {
    dunax::platform::sleepMilliseconds(10);
    call(19, data);
    key = keyCode(data);
  }
  if (key == 0) {
    result << "key none" << std::endl;
  } else {
    result << "key " << key << std::endl;
  }
  if (mode == "ask") {
    result << "answer " << askInterruption() << std::endl;
    call(19, data);  // the panel is shown whole again
  }

  unsigned char panelClose[10] = {0, 0, 'P', 'D', 'U', 'N', 'A', 'X', 'D', ' '};
  call(15, panelClose);
  unsigned char windowClose[2] = {};
  call(12, windowClose);
  return 0;
}
