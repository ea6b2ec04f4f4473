// The run parameter: the 121 characters of Windows-1252 text that a conversion manager passes
// to the converter as its command line, one data file per run. Positions below count from 0
// (the manager's own tables count from 1: position n lies at offset n - 1).
#pragma once

#include <cstddef>

namespace dunax::layouts {

struct RunParameter {
  char direction[1];         //   0  "B" data file to transfer file, "X" back
  char unused[8];            //   1
  char programName[8];       //   9  the record-access program, space-padded
  char passThroughA[3];      //  17  handed on to the record-access program
  char passThroughB[10];     //  20
  char dataFileName[50];     //  30  space-padded; the name ends at its first space
  char passThroughC[2];      //  80
  char passThroughD[1];      //  82
  char passThroughE[8];      //  83
  char keyOption[1];         //  91  kAlternativeRequestCodes selects the alternative codes
  char totalFiles[8];        //  92  files in the manager's run, decimal digits
  char fileNumber[8];        // 100  this file's number in that run, decimal digits
  char remainingDays[3];     // 108  the manager's estimate of the time left, decimal digits
  char remainingHours[2];    // 111
  char remainingMinutes[2];  // 113
  char remainingSeconds[2];  // 115
  char extraSegments[2];     // 117  "X": transfer-file segments after the first to read
  char passThroughF[1];      // 119
  char askFlag[1];           // 120  kAskOperator: ask the operator on a file error
};

inline constexpr std::size_t kRunParameterLength = 121;
// How much of the command line the converter reads; what lies past the run parameter is ignored.
inline constexpr std::size_t kCommandLineReadLength = 140;

inline constexpr char kDirectionToTransferFile = 'B';
inline constexpr char kDirectionFromTransferFile = 'X';
inline constexpr char kAlternativeRequestCodes = 'O';
inline constexpr char kAskOperator = 'S';
inline constexpr char kDoNotAsk = 'N';

static_assert(sizeof(RunParameter) == kRunParameterLength);
static_assert(offsetof(RunParameter, programName) == 9);
static_assert(offsetof(RunParameter, passThroughA) == 17);
static_assert(offsetof(RunParameter, passThroughB) == 20);
static_assert(offsetof(RunParameter, dataFileName) == 30);
static_assert(offsetof(RunParameter, passThroughC) == 80);
static_assert(offsetof(RunParameter, passThroughD) == 82);
static_assert(offsetof(RunParameter, passThroughE) == 83);
static_assert(offsetof(RunParameter, keyOption) == 91);
static_assert(offsetof(RunParameter, totalFiles) == 92);
static_assert(offsetof(RunParameter, fileNumber) == 100);
static_assert(offsetof(RunParameter, remainingDays) == 108);
static_assert(offsetof(RunParameter, remainingHours) == 111);
static_assert(offsetof(RunParameter, remainingMinutes) == 113);
static_assert(offsetof(RunParameter, remainingSeconds) == 115);
static_assert(offsetof(RunParameter, extraSegments) == 117);
static_assert(offsetof(RunParameter, passThroughF) == 119);
static_assert(offsetof(RunParameter, askFlag) == 120);

}  // namespace dunax::layouts
