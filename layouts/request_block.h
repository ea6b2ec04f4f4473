// The request block: the 2280 bytes the converter passes by reference to a record-access
// program for every data-file operation. The converter fills the pass-through fields once and
// then sets the request code and the record area; the program answers with the file status
// and, for a read, the record. Offsets from 0.
#pragma once

#include <cstddef>
#include <cstring>

#include "layouts/run_parameter.h"

namespace dunax::layouts {

struct RequestBlock {
  char blockVersion[1];        //    0  kRequestBlockVersion: the form of the block the converter fills
  unsigned char unset1[3];     //    1  zero bytes
  char requestCode[3];         //    4  space-padded ("TST", "RN ", ...)
  char passThroughA[3];        //    7  from the run parameter
  char passThroughB[10];       //   10  (RECSEQ: the record length)
  char zeros[10];              //   20  ten "0" characters
  char passThroughE[8];        //   30
  char dataFileName[50];       //   38  space-padded; the name ends at its first space
  unsigned char unset2[16];    //   88
  char passThroughC[2];        //  104
  char passThroughD[1];        //  106
  unsigned char unset3[6];     //  107
  char separator[1];           //  113  a space
  char passThroughAAgain[3];   //  114  the same three characters as at 7
  unsigned char unset4[48];    //  117
  char passThroughF[1];        //  165
  unsigned char unset5[64];    //  166
  char fileStatus[2];          //  230  answered by the program after every request
  unsigned char recordArea[2048];  //  232
};

inline constexpr std::size_t kRequestBlockLength = 2280;
inline constexpr char kRequestBlockVersion = '2';
// The transfer record, the most a record-access program moves in one request.
inline constexpr std::size_t kTransferRecordLength = 1024;

// Request codes, three characters each.
namespace request_code {
inline constexpr char kOpenForReading[] = "TST";
inline constexpr char kStart[] = "ST ";
inline constexpr char kStartByAlternateKey[] = "AST";
inline constexpr char kReadNext[] = "RN ";
inline constexpr char kReadNextByAlternateKey[] = "ARN";
inline constexpr char kOpenForOutput[] = "OU ";
inline constexpr char kWrite[] = "WR ";
inline constexpr char kWriteByAlternateKey[] = "AWR";
inline constexpr char kClose[] = "CL ";
}  // namespace request_code

// At "CL " after output the record area starts with this word when the records written since
// "OU " are to be discarded (the conversion failed or was stopped): the data file must stay as
// it was. Spaces there mean keep them.
inline constexpr char kDiscardWrittenRecords[] = "DESCARTA";

// After a request it answered with a failing status, a record-access program may say why in
// words: the second half of the record area (offset kTransferRecordLength, which no transfer
// record reaches) then starts with kFailureWordsMark, followed by at most kFailureWordsLength
// bytes of Windows-1252 text, space-padded or ended by a zero byte ("50 bytes left at the end,
// not a whole record"). The converter lays spaces over the mark before every request, so that
// words are never those of an earlier one, and shows the words beside the status.
inline constexpr char kFailureWordsMark[] = "MOTIVO:";
inline constexpr std::size_t kFailureWordsLength = 100;

static_assert(sizeof(RequestBlock) == kRequestBlockLength);
static_assert(kTransferRecordLength + sizeof kFailureWordsMark - 1 + kFailureWordsLength <=
              sizeof(RequestBlock::recordArea));
static_assert(offsetof(RequestBlock, requestCode) == 4);
static_assert(offsetof(RequestBlock, passThroughA) == 7);
static_assert(offsetof(RequestBlock, passThroughB) == 10);
static_assert(offsetof(RequestBlock, zeros) == 20);
static_assert(offsetof(RequestBlock, passThroughE) == 30);
static_assert(offsetof(RequestBlock, dataFileName) == 38);
static_assert(offsetof(RequestBlock, passThroughC) == 104);
static_assert(offsetof(RequestBlock, passThroughD) == 106);
static_assert(offsetof(RequestBlock, separator) == 113);
static_assert(offsetof(RequestBlock, passThroughAAgain) == 114);
static_assert(offsetof(RequestBlock, passThroughF) == 165);
static_assert(offsetof(RequestBlock, fileStatus) == 230);
static_assert(offsetof(RequestBlock, recordArea) == 232);
static_assert(sizeof(RequestBlock::recordArea) >= 2 * kTransferRecordLength);

// Copies a field of the run parameter into the field of the same width in the block.
template <std::size_t Width>
void copyField(char (&to)[Width], const char (&from)[Width]) {
  std::memcpy(to, from, Width);
}

// Fills the block as the converter sends it from its start on: zero bytes everywhere,
// kRequestBlockVersion at the front, the separator space, ten "0", and the pass-through fields
// and the data file name from the run parameter.
inline void fillRequestBlock(RequestBlock& block, const RunParameter& parameter) {
  std::memset(&block, 0, sizeof block);
  block.blockVersion[0] = kRequestBlockVersion;
  block.separator[0] = ' ';
  std::memset(block.zeros, '0', sizeof block.zeros);
  copyField(block.passThroughA, parameter.passThroughA);
  copyField(block.passThroughB, parameter.passThroughB);
  copyField(block.passThroughE, parameter.passThroughE);
  copyField(block.dataFileName, parameter.dataFileName);
  copyField(block.passThroughC, parameter.passThroughC);
  copyField(block.passThroughD, parameter.passThroughD);
  copyField(block.passThroughAAgain, parameter.passThroughA);
  copyField(block.passThroughF, parameter.passThroughF);
}

}  // namespace dunax::layouts
