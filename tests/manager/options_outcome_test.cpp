// dunaxconv's command line, the data file checks, the reading of exit codes, the summary and the
// manager's own exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manager/options.h"
#include "manager/outcome.h"

namespace dunax::manager {
namespace {

std::string parse(std::vector<std::string> arguments, Options* options) {
  platform::Expected<Options> parsed = parseArguments(arguments);
  if (parsed) *options = std::move(*parsed);
  return parsed.status().message();
}

TEST(Options, EveryFieldOption) {
  Options options;
  ASSERT_EQ(parse({"--field-a", "EMP", "--field-b=abc", "--field-c", "C2", "--field-d", "D",
                   "--field-e", "12345678", "--field-f", "F", "--key-option", "--ask", "--jobs",
                   "3", "--converter", "/x/DUNAXMF", "X", "RECSEQ", "a.dat", "b.dat"},
                  &options),
            "");
  EXPECT_FALSE(options.help);
  EXPECT_EQ(options.settings.direction, 'X');
  EXPECT_EQ(options.settings.program, "RECSEQ");
  EXPECT_EQ(options.settings.fieldA, "EMP");
  EXPECT_EQ(options.settings.fieldB, "abc");
  EXPECT_EQ(options.settings.fieldC, "C2");
  EXPECT_EQ(options.settings.fieldD, "D");
  EXPECT_EQ(options.settings.fieldE, "12345678");
  EXPECT_EQ(options.settings.fieldF, "F");
  EXPECT_TRUE(options.settings.keyOption);
  EXPECT_TRUE(options.settings.ask);
  EXPECT_EQ(options.jobs, 3u);
  EXPECT_EQ(options.converter, "/x/DUNAXMF");
  EXPECT_EQ(options.files, (std::vector<std::string>{"a.dat", "b.dat"}));
}

TEST(Options, RecordLengthFillsFieldBWithTenDigits) {
  Options options;
  ASSERT_EQ(parse({"--record-length", "120", "B", "RECSEQ", "a"}, &options), "");
  EXPECT_EQ(options.settings.fieldB, "0000000120");
  EXPECT_FALSE(options.settings.ask);
  EXPECT_FALSE(options.settings.keyOption);
  EXPECT_NE(parse({"--record-length", "120", "--field-b", "x", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--record-length", "0", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--record-length", "12a", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--record-length", "12345678901", "B", "P", "a"}, &options), "");
}

TEST(Options, FieldsTooWideAreRefused) {
  Options options;
  EXPECT_NE(parse({"--field-a", "ABCD", "B", "P", "a"}, &options).find("field A"),
            std::string::npos);
  EXPECT_NE(parse({"--field-b", "12345678901", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--field-c", "123", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--field-d", "12", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--field-e", "123456789", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--field-f", "12", "B", "P", "a"}, &options), "");
  EXPECT_EQ(parse({"--field-d", "\xC3\xA7", "B", "P", "a"}, &options), "");  // one byte: 0xE7
  EXPECT_EQ(options.settings.fieldD, "\xE7");
}

TEST(Options, BadUsage) {
  Options options;
  EXPECT_NE(parse({}, &options), "");
  EXPECT_NE(parse({"C", "P", "a"}, &options), "");
  EXPECT_NE(parse({"b", "P", "a"}, &options), "");
  EXPECT_NE(parse({"B"}, &options), "");
  EXPECT_NE(parse({"B", "P"}, &options), "");
  EXPECT_NE(parse({"B", "PROGRAM12", "a"}, &options), "");
  EXPECT_NE(parse({"--bogus", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"B", "P", "a", "--jobs"}, &options), "");
  EXPECT_NE(parse({"--jobs", "0", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--jobs", "65", "B", "P", "a"}, &options), "");
  EXPECT_NE(parse({"--ask=yes", "B", "P", "a"}, &options), "");
  EXPECT_EQ(parse({"--jobs", "64", "B", "P", "a"}, &options), "");
}

TEST(Options, ListAloneAndDoubleDash) {
  Options options;
  ASSERT_EQ(parse({"--list", "files.txt", "B", "P"}, &options), "");
  EXPECT_EQ(options.listFile, "files.txt");
  EXPECT_TRUE(options.files.empty());
  ASSERT_EQ(parse({"B", "P", "--", "-odd.dat"}, &options), "");
  EXPECT_EQ(options.files, (std::vector<std::string>{"-odd.dat"}));
}

TEST(Options, HelpNeedsNothingElseAndDocumentsEveryOption) {
  Options options;
  ASSERT_EQ(parse({"--help", "--bogus"}, &options), "");
  EXPECT_TRUE(options.help);
  std::string help = helpText();
  for (const char* word : {"--list", "--record-length", "--field-a", "--field-b", "--field-c",
                           "--field-d", "--field-e", "--field-f", "--key-option", "--ask",
                           "--jobs", "--converter", "--quiet", "--help", "Exit codes", "64",
                           "Example"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

TEST(ListLines, TrimmedBlankAndCommentLinesLeftOut) {
  EXPECT_EQ(dataFileNameOfListLine("  clientes.dat \r"), "clientes.dat");
  EXPECT_EQ(dataFileNameOfListLine("\tx"), "x");
  EXPECT_EQ(dataFileNameOfListLine("   "), "");
  EXPECT_EQ(dataFileNameOfListLine("# comment"), "");
  EXPECT_EQ(dataFileNameOfListLine("a b"), "a b");  // refused later, not split
}

TEST(DataFiles, EveryProblemListed) {
  // A name given twice is left to findFileClashes, which compares real paths.
  std::vector<DataFile> files;
  std::vector<std::string> problems =
      checkDataFiles({"a.dat", "a b", std::string(51, 'x'), "a.dat", "c\xC3\xA3o"}, &files);
  EXPECT_EQ(problems.size(), 2u);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].name, "a.dat");
  EXPECT_EQ(files[2].name, "c\xC3\xA3o");
  EXPECT_EQ(files[2].windows1252, "c\xE3o");
  EXPECT_EQ(checkDataFiles({}, &files).size(), 1u);
}

TEST(DataFiles, TheFolderIsSplitOffAndOnlyTheOwnNameMustFit) {
  struct Case {
    std::string name;
    std::string folder;  // "!" when the name is refused
    std::string ownName;
  };
  const std::string deep = "a/very/deep/folder/of/more/than/fifty/bytes/in/all";
  const Case cases[] = {
      {"x.dat", "", "x.dat"},
      {deep + "/x.dat", deep, "x.dat"},
      {"/x.dat", "/", "x.dat"},
      {"dados\\emp\\x.dat", "dados/emp", "x.dat"},
      {"dados/", "!", ""},
      {"dados/..", "!", ""},
      {"d/" + std::string(51, 'x'), "!", ""},
  };
  for (const Case& test : cases) {
    std::vector<DataFile> files;
    std::vector<std::string> problems = checkDataFiles({test.name}, &files);
    if (test.folder == "!") {
      EXPECT_EQ(problems.size(), 1u) << test.name;
      continue;
    }
    ASSERT_EQ(files.size(), 1u) << test.name;
    EXPECT_EQ(files[0].folder, test.folder);
    EXPECT_EQ(files[0].windows1252, test.ownName);
    EXPECT_EQ(files[0].name, test.name);
  }
}

TEST(Outcome, TheConvertersReasonIsItsLastLineForTheFile) {
  struct Case {
    std::string errorText;
    std::string reason;
    std::string otherLines;
  };
  const Case cases[] = {
      {"", "", ""},
      {"DUNAXMF: c\xE3o.dat: read: status 04\n", "read: status 04", ""},
      {"DUNAXMF: c\xC3\xA3o.dat: stopped\n", "stopped", ""},  // the name in UTF-8
      {"DUNAXMF: RECSEQ.so does not load\nDUNAXMF: c\xE3o.dat: cannot be found\n",
       "cannot be found", "DUNAXMF: RECSEQ.so does not load\n"},
      {"DUNAXMF: c\xE3o.dat: first\nDUNAXMF: c\xE3o.dat: last", "last",
       "DUNAXMF: c\xE3o.dat: first\n"},
      {"DUNAXMF: other.dat: not ours\n", "", "DUNAXMF: other.dat: not ours\n"},
      {"DUNAXMF: c\xE3o.dat.bin: not the name\n", "", "DUNAXMF: c\xE3o.dat.bin: not the name\n"},
  };
  for (const Case& test : cases) {
    ConverterWords words = readConverterWords(test.errorText, "c\xE3o.dat");
    EXPECT_EQ(words.reason, test.reason) << test.errorText;
    EXPECT_EQ(words.otherLines, test.otherLines) << test.errorText;
  }
  EXPECT_EQ(reasonOf(ConverterEnd{true, true, 32, 0}, "", ""),
            "given up (no reason given by the converter)");
  EXPECT_EQ(reasonOf(ConverterEnd{true, true, 32, 0}, "read: status 04", ""), "read: status 04");
  EXPECT_EQ(reasonOf(ConverterEnd{true, true, 0, 0}, "", ""), "");
}

TEST(Outcome, ExitCodesOfTheConverter) {
  for (int code = 0; code <= 9; ++code) {
    EXPECT_EQ(outcomeOf(ConverterEnd{true, true, code, 0}), Outcome::Converted) << code;
  }
  EXPECT_EQ(outcomeOf(ConverterEnd{true, true, 32, 0}), Outcome::Skipped);
  EXPECT_EQ(outcomeOf(ConverterEnd{true, true, 16, 0}), Outcome::Stopped);
  for (int code : {10, 15, 17, 31, 33, 64, 127, 255}) {
    EXPECT_EQ(outcomeOf(ConverterEnd{true, true, code, 0}), Outcome::Failed) << code;
  }
  EXPECT_EQ(outcomeOf(ConverterEnd{true, false, 0, 11}), Outcome::Failed);
  EXPECT_EQ(outcomeOf(ConverterEnd{false, false, 0, 0}), Outcome::Failed);
  EXPECT_TRUE(stopsRun(Outcome::Stopped));
  EXPECT_TRUE(stopsRun(Outcome::Failed));
  EXPECT_FALSE(stopsRun(Outcome::Skipped));
  EXPECT_FALSE(stopsRun(Outcome::Converted));
}

TEST(Outcome, FailureDetails) {
  EXPECT_EQ(reasonOf(ConverterEnd{true, true, 12, 0}, "", ""), "unexpected exit code 12");
  EXPECT_EQ(reasonOf(ConverterEnd{true, false, 0, 11}, "", ""),
            "the converter ended by signal 11 (SIGSEGV)");
  EXPECT_EQ(reasonOf(ConverterEnd{false, false, 0, 0}, "", "/x: No such file"),
            "the converter could not be started: /x: No such file");
}

FileResult resultOf(const char* name, Outcome outcome, int segments = -1, double seconds = 0) {
  FileResult result;
  result.name = name;
  result.outcome = outcome;
  result.segments = segments;
  result.seconds = seconds;
  return result;
}

TEST(Outcome, ManagerExitCode) {
  using O = Outcome;
  EXPECT_EQ(exitCodeOf({resultOf("a", O::Converted), resultOf("b", O::Converted)}), 0);
  EXPECT_EQ(exitCodeOf({resultOf("a", O::Converted), resultOf("b", O::Skipped)}), 1);
  EXPECT_EQ(exitCodeOf({resultOf("a", O::Skipped), resultOf("b", O::Failed)}), 2);
  EXPECT_EQ(exitCodeOf({resultOf("a", O::Stopped), resultOf("b", O::NotStarted)}), 2);
  EXPECT_EQ(exitCodeOf({resultOf("a", O::Converted), resultOf("b", O::NotStarted)}), 2);
}

TEST(Summary, OneLinePerFileAndTheCounts) {
  std::vector<FileResult> results = {resultOf("clientes.dat", Outcome::Converted, 2, 1.31),
                                     resultOf("c\xC3\xA3o", Outcome::Skipped, -1, 0.5),
                                     resultOf("z", Outcome::NotStarted),
                                     resultOf("u", Outcome::Unchanged, 0)};
  results[0].counts = {2500000, 2500000, 2};
  results[1].counts = {7, 6, 0};
  results[3].counts = {10, 10, 0};
  std::string summary = formatSummary(results);
  EXPECT_EQ(summary,
            "#  file          outcome          segments      records       time  reason\n"
            "1  clientes.dat  converted               2    2,500,000      1.3 s\n"
            "2  c\xC3\xA3o           skipped                 -            6      0.5 s\n"
            "3  z             not started             -            -          -\n"
            "4  u             unchanged               0           10          -\n"
            "4 files: 1 converted, 1 skipped, 0 failed, 0 stopped the run, 1 not started, "
            "1 unchanged; 2,500,017 records read, 2,500,016 written\n");
}

}  // namespace
}  // namespace dunax::manager
