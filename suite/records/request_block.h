// The request block that the converter shares with a record-access program: 2280 bytes passed
// by reference, with the request code, the pass-through fields, the data file name, the file
// status the program answers and the 2048-byte record area at fixed offsets (counted from 0).
#pragma once

#include <cstddef>

namespace dunax::records {

struct RequestBlock {
  char version[1];      //    0  "2"
  char unset1[3];       //    1
  char code[3];         //    4  request code, space-padded ("TST", "RN ", ...)
  char passA[3];        //    7  pass-through field A
  char passB[10];       //   10  pass-through field B (RECSEQ: the record length)
  char zeros[10];       //   20  ten "0" characters
  char passE[8];        //   30  pass-through field E
  char fileName[50];    //   38  data file name, space-padded; it ends at the first space
  char unset2[16];      //   88
  char passC[2];        //  104  pass-through field C
  char passD[1];        //  106  pass-through field D
  char unset3[7];       //  107
  char passA2[3];       //  114  pass-through field A again
  char unset4[48];      //  117
  char passF[1];        //  165  pass-through field F
  char unset5[64];      //  166
  char status[2];       //  230  file status answered after every request
  char record[2048];    //  232  record area
};

static_assert(sizeof(RequestBlock) == 2280);
static_assert(offsetof(RequestBlock, code) == 4);
static_assert(offsetof(RequestBlock, passB) == 10);
static_assert(offsetof(RequestBlock, fileName) == 38);
static_assert(offsetof(RequestBlock, passC) == 104);
static_assert(offsetof(RequestBlock, passA2) == 114);
static_assert(offsetof(RequestBlock, passF) == 165);
static_assert(offsetof(RequestBlock, status) == 230);
static_assert(offsetof(RequestBlock, record) == 232);

// At "CL " after output the converter's record area starts with this word when the records
// written since "OU " are to be discarded (the conversion failed or was stopped): the data file
// must stay as it was. Spaces there mean keep them.
inline constexpr char kDiscardWrittenRecords[] = "DESCARTA";

// The largest record a record-access program moves: the converter's transfer record.
inline constexpr std::size_t kMaxRecordLength = 1024;

}  // namespace dunax::records
