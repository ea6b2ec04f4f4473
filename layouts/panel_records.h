// The parameter records of the screen library's panel and window functions: the panel
// definition (function 128), the window record (0, 34, 33), the panel data record (19), the
// field refresh record (58) and the two close records (15, 12). Offsets from 0; 2-byte integers
// most significant byte first. The panel data record's values are those of the progress panel
// "PDUNAXD", in the order of its fields.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dunax::layouts {

inline constexpr char kProgressPanelName[] = "PDUNAXD ";
inline constexpr std::size_t kPanelNameLength = 8;

// Panel definition record. After the name, the panel in the library's own panel format:
// a header, then entries one after the other (kinds below) up to an end entry.
struct PanelDefinitionRecord {
  unsigned char result[2];         //    0  left to the library
  char panelName[8];               //    2
  char formatMark[4];              //   10  kPanelFormatMark
  char caption[40];                //   14
  char designTitle[100];           //   54  the window title until the program sets its own
  unsigned char width[2];          //  154  units of the horizontal positions
  unsigned char height[2];         //  156  units of the vertical positions
  unsigned char entries[3514];     //  158
};
inline constexpr std::size_t kPanelDefinitionLength = 3672;
inline constexpr char kPanelFormatMark[4] = {'S', 'P', 'F', '1'};
// Entry kinds, the first byte of each entry.
inline constexpr unsigned char kStaticTextEntry = 'T';
inline constexpr unsigned char kDataFieldEntry = 'F';
inline constexpr unsigned char kEndEntry = 'E';
// The style byte of a data field entry.
inline constexpr unsigned char kPlainFieldStyle = ' ';
inline constexpr unsigned char kBarCellStyle = 'B';

static_assert(sizeof(PanelDefinitionRecord) == kPanelDefinitionLength);
static_assert(offsetof(PanelDefinitionRecord, panelName) == 2);
static_assert(offsetof(PanelDefinitionRecord, formatMark) == 10);
static_assert(offsetof(PanelDefinitionRecord, caption) == 14);
static_assert(offsetof(PanelDefinitionRecord, designTitle) == 54);
static_assert(offsetof(PanelDefinitionRecord, width) == 154);
static_assert(offsetof(PanelDefinitionRecord, height) == 156);
static_assert(offsetof(PanelDefinitionRecord, entries) == 158);

// Window record.
struct WindowRecord {
  unsigned char libraryArea[12];   //    0  left to the library: six 2-byte words
  unsigned char unset1[8];         //   12
  unsigned char columns[2];        //   20  (the executor's placeholder window)
  unsigned char rows[2];           //   22
  unsigned char unset2[26];        //   24
  char windowName[8];              //   50
  char panelName[8];               //   58
  unsigned char unset3[13];        //   66
  char windowMark[1];              //   79  (the executor's placeholder window)
  unsigned char unset4[8];         //   80
  char title[100];                 //   88  space-padded
};
inline constexpr std::size_t kWindowRecordLength = 188;
// What the converter clears before it opens the window: everything after the library's area.
inline constexpr std::size_t kWindowRecordClearedFrom = offsetof(WindowRecord, unset1);

static_assert(sizeof(WindowRecord) == kWindowRecordLength);
static_assert(offsetof(WindowRecord, columns) == 20);
static_assert(offsetof(WindowRecord, rows) == 22);
static_assert(offsetof(WindowRecord, windowName) == 50);
static_assert(offsetof(WindowRecord, panelName) == 58);
static_assert(offsetof(WindowRecord, windowMark) == 79);
static_assert(offsetof(WindowRecord, title) == 88);

// Panel data record: the values shown, one after the other from 192 in the order of the
// panel's fields (numbers as 9 unedited digits; the library applies the edit format), and
// one attribute byte per bar cell.
inline constexpr std::size_t kBarCells = 30;
struct PanelDataRecord {
  unsigned char libraryArea[22];   //    0  left to the library
  unsigned char keyCode[2];        //   22  the key or window event that ended the display
  unsigned char unset1[38];        //   24
  char panelName[8];               //   62
  unsigned char unset2[94];        //   70
  char displayMode[1];             //  164  kDisplayAndReturnKey
  unsigned char unset3[27];        //  165
  char empresa[3];                 //  192  first field value
  char fichConv[9];                //  195  this file's number
  char totalFich[9];               //  204  files in the run
  char dspTempo[40];               //  213  the remaining-time sentence
  char barra[kBarCells];           //  253  the bar, one character per cell
  char nome[50];                   //  283  the data file's name
  char dspFase[10];                //  333  "1 de 2" or "2 de 2"
  char lidos[9];                   //  343  records read
  char escritos[9];                //  352  records written
  unsigned char unset4[4];         //  361
  unsigned char barColours[kBarCells];  // 365  colour number of cell n (1-30) at 364 + n
  unsigned char unset5[42];        //  395
};
inline constexpr std::size_t kPanelDataLength = 437;
// What the converter clears before its first display: everything after the library's area.
inline constexpr std::size_t kPanelDataClearedFrom = offsetof(PanelDataRecord, keyCode);
// Where the values of a panel's fields begin.
inline constexpr std::size_t kPanelValuesOffset = offsetof(PanelDataRecord, empresa);
// The display mode: show the panel with the record's values and hand back the key that ended
// the display.
inline constexpr char kDisplayAndReturnKey = 'k';
// The colour number of a bar cell shown filled; 0 leaves a cell plain.
inline constexpr unsigned char kFilledBarColour = 20;

static_assert(sizeof(PanelDataRecord) == kPanelDataLength);
static_assert(offsetof(PanelDataRecord, keyCode) == 22);
static_assert(offsetof(PanelDataRecord, panelName) == 62);
static_assert(offsetof(PanelDataRecord, displayMode) == 164);
static_assert(offsetof(PanelDataRecord, empresa) == 192);
static_assert(offsetof(PanelDataRecord, fichConv) == 195);
static_assert(offsetof(PanelDataRecord, totalFich) == 204);
static_assert(offsetof(PanelDataRecord, dspTempo) == 213);
static_assert(offsetof(PanelDataRecord, barra) == 253);
static_assert(offsetof(PanelDataRecord, nome) == 283);
static_assert(offsetof(PanelDataRecord, dspFase) == 333);
static_assert(offsetof(PanelDataRecord, lidos) == 343);
static_assert(offsetof(PanelDataRecord, escritos) == 352);
static_assert(offsetof(PanelDataRecord, barColours) == 365);

// Field ids of the progress panel that a program names in a field refresh.
inline constexpr std::int16_t kLidosFieldId = 20;
inline constexpr std::int16_t kEscritosFieldId = 1;

// Field refresh record.
struct FieldRefreshRecord {
  unsigned char libraryArea[32];   //    0  left to the library
  unsigned char fieldId[2];        //   32  the field to redraw
  unsigned char unset[10123];      //   34  zero bytes
};
inline constexpr std::size_t kFieldRefreshLength = 10157;
static_assert(sizeof(FieldRefreshRecord) == kFieldRefreshLength);
static_assert(offsetof(FieldRefreshRecord, fieldId) == 32);

// Panel close record.
struct PanelCloseRecord {
  unsigned char result[2];         //    0
  char panelName[8];               //    2
};
inline constexpr std::size_t kPanelCloseLength = 10;
static_assert(sizeof(PanelCloseRecord) == kPanelCloseLength);
static_assert(offsetof(PanelCloseRecord, panelName) == 2);

// Window close record.
struct WindowCloseRecord {
  unsigned char result[2];
};
inline constexpr std::size_t kWindowCloseLength = 2;
static_assert(sizeof(WindowCloseRecord) == kWindowCloseLength);

}  // namespace dunax::layouts
