// The command line of dunaxconv: options, direction, program and data files; the data file list
// file's lines; the checks that refuse what a run parameter cannot hold; the help text.
#pragma once

#include <string>
#include <vector>

#include "manager/conversion_run.h"
#include "manager/run_parameter.h"
#include "manager/shard.h"

namespace dunax::manager {

// The most converter runs side by side that --jobs accepts.
inline constexpr unsigned kMostJobs = 64;
// The longest record --record-length accepts: a transfer record holds the data record.
inline constexpr unsigned long long kMostRecordLength = 1024;

struct Options {
  bool help = false;
  bool version = false;            // --version
  RunSettings settings;            // direction, program and the fields, in Windows-1252
  std::vector<std::string> files;  // data file names given on the command line (UTF-8)
  std::string listFile;            // --list: a file naming one data file a line; empty if none
  unsigned jobs = 1;               // --jobs
  std::string converter;           // --converter: the converter program; empty for the default
  bool quiet = false;              // --quiet: only the summary (and errors of usage)
  bool check = false;              // --check: check everything, convert nothing
  Shard shard;                     // --shard K/N: this machine's share of the files
  std::string reportFile;          // --report: the migration report to write; empty if none
  std::string resumeFile;          // --resume: an earlier run's report; empty if none
};

// Reads the arguments (without the program's own name). Returns the options; otherwise fails
// (InvalidName) with the message of the first thing wrong: an unknown option, an option
// without its value, a field value too wide or not writable in Windows-1252, --field-b together
// with --record-length, a record length or job count that is not a number in range, a
// direction other than "B" or "X", a missing or unfit program name, no data file at all.
// The record length is 1 to 1024; the program name is a COBOL name and is taken in upper case.
// With --help or --version nothing else is checked.
platform::Expected<Options> parseArguments(const std::vector<std::string>& arguments);

// Returns the data file name on one line of a list file: the line without surrounding spaces,
// tabs and carriage return; empty for a blank line or a comment line (first character "#").
std::string dataFileNameOfListLine(const std::string& line);

// Checks every data file name and the number of files, and fills *files in the same order: each
// name is split at its last "/" or "\" into the folder and the file's own name, which is what
// must fit the run parameter. Returns one message per refused name (and one when there are more
// than 99,999,999 files); an empty list when every file can be converted. Files that are one file, or whose transfer files
// meet, are found afterwards by findFileClashes.
std::vector<std::string> checkDataFiles(const std::vector<std::string>& names,
                                        std::vector<DataFile>* files);

// Returns the --help text.
const char* helpText();

}  // namespace dunax::manager
