// The manager's run parameter byte for byte, and the checks of names and fields that go into it.
#include "manager/run_parameter.h"

#include <gtest/gtest.h>

#include <string>

namespace dunax::manager {
namespace {

std::string textOf(const RunParameterText& parameter) {
  return std::string(parameter.begin(), parameter.end());
}

// The words of a check that refused, or empty and its value in *out.
std::string messageOf(const platform::Expected<std::string>& checked, std::string* out) {
  if (checked) *out = *checked;
  return checked.status().message();
}

TEST(RunParameter, EveryFieldAtItsPosition) {
  RunSettings settings;
  settings.direction = 'X';
  settings.program = "RECSEQ";
  settings.fieldA = "EMP";
  settings.fieldB = "0000000120";
  settings.fieldC = "C2";
  settings.fieldD = "D";
  settings.fieldE = "EEEEEEEE";
  settings.fieldF = "F";
  settings.keyOption = true;
  settings.ask = true;
  FilePlace place;
  place.fileName = "clientes.dat";
  place.number = 3;
  place.total = 12;
  place.remaining = RemainingTime{2, 5, 0, 7};
  place.segments = 4;

  std::string expected = "X" + std::string(8, ' ') + "RECSEQ  " + "EMP" + "0000000120" +
                         "clientes.dat" + std::string(38, ' ') + "C2" + "D" + "EEEEEEEE" + "O" +
                         "00000012" + "00000003" + "002" + "05" + "00" + "07" + "04" + "F" + "S";
  ASSERT_EQ(expected.size(), kRunParameterLength);
  EXPECT_EQ(textOf(buildRunParameter(settings, place)), expected);
}

TEST(RunParameter, DefaultsAreSpacesZerosAndNoAsk) {
  RunSettings settings;
  settings.direction = 'B';
  settings.program = "P";
  FilePlace place;
  place.fileName = "a";
  place.number = 1;
  place.total = 1;
  place.segments = 7;  // never passed in direction "B"
  std::string text = textOf(buildRunParameter(settings, place));
  EXPECT_EQ(text.substr(0, 30), "B" + std::string(8, ' ') + "P" + std::string(20, ' '));
  EXPECT_EQ(text.substr(30, 50), "a" + std::string(49, ' '));
  EXPECT_EQ(text.substr(80, 12), std::string(12, ' '));
  EXPECT_EQ(text.substr(92, 27), "00000001000000010000000000" "0");
  EXPECT_EQ(text.substr(117, 2), "00");
  EXPECT_EQ(text.substr(119, 2), " N");
}

TEST(RunParameter, LargestNumbersFillTheirDigits) {
  RunSettings settings;
  settings.program = "P";
  FilePlace place;
  place.fileName = std::string(50, 'n');
  place.number = 99999999;
  place.total = 99999999;
  place.remaining = RemainingTime{999, 23, 59, 59};
  std::string text = textOf(buildRunParameter(settings, place));
  EXPECT_EQ(text.substr(30, 50), std::string(50, 'n'));
  EXPECT_EQ(text.substr(92, 25), "9999999999999999999235959");
}

TEST(RunParameter, FileNameGoesInAsWindows1252) {
  std::string name;
  EXPECT_EQ(messageOf(checkFileName("Convers\xC3\xA3o.dat"), &name), "");
  EXPECT_EQ(name, "Convers\xE3o.dat");
  RunSettings settings;
  settings.program = "P";
  FilePlace place;
  place.fileName = name;
  std::string text = textOf(buildRunParameter(settings, place));
  EXPECT_EQ(text.substr(30, 14), "Convers\xE3o.dat ");
}

TEST(FileNameCheck, FiftyBytesInWindows1252FitEvenWhenLongerInUtf8) {
  std::string name;
  std::string fifty = std::string(45, 'a') + "\xC3\xA7\xC3\xA3o.x";  // 50 in Windows-1252
  EXPECT_EQ(messageOf(checkFileName(fifty), &name), "");
  EXPECT_EQ(name.size(), 50u);
  EXPECT_NE(messageOf(checkFileName(std::string(51, 'a')), &name), "");
  EXPECT_EQ(messageOf(checkFileName(std::string(50, 'a')), &name), "");
}

TEST(FileNameCheck, RefusesWhatTheConverterCannotName) {
  std::string name = "kept";
  EXPECT_NE(messageOf(checkFileName(""), &name), "");
  EXPECT_NE(messageOf(checkFileName("dois nomes.dat"), &name).find("space"), std::string::npos);
  EXPECT_NE(messageOf(checkFileName("\xE4\xB8\xAD.dat"), &name), "");  // outside the code page
  EXPECT_NE(messageOf(checkFileName("tab\t.dat"), &name), "");  // a control character
  EXPECT_NE(messageOf(checkFileName("latin\xE3.dat"), &name), "");  // not UTF-8
  EXPECT_EQ(name, "kept");
  EXPECT_EQ(messageOf(checkFileName("euro\xE2\x82\xAC.dat"), &name), "");  // the euro: 0x80
  EXPECT_EQ(name, "euro\x80.dat");
}

TEST(ProgramNameCheck, EightBytesAtMost) {
  std::string program;
  EXPECT_EQ(messageOf(checkProgramName("RECIDX01"), &program), "");
  EXPECT_EQ(program, "RECIDX01");
  EXPECT_NE(messageOf(checkProgramName("RECIDX012"), &program), "");
  EXPECT_NE(messageOf(checkProgramName("REC SEQ"), &program), "");
  EXPECT_NE(messageOf(checkProgramName(""), &program), "");
}

TEST(FieldValue, WidthCountsWindows1252Bytes) {
  std::string value;
  EXPECT_EQ(messageOf(convertFieldValue("field A", "\xC3\xA3\xC3\xA3\xC3\xA3", 3), &value), "");
  EXPECT_EQ(value, "\xE3\xE3\xE3");
  std::string error = messageOf(convertFieldValue("field A", "ABCD", 3), &value);
  EXPECT_NE(error.find("field A"), std::string::npos);
  EXPECT_NE(error.find("3 bytes"), std::string::npos);
}

}  // namespace
}  // namespace dunax::manager
