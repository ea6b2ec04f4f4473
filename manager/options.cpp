// Reading dunaxconv's command line and checking the data file names.
#include "manager/options.h"

namespace dunax::manager {
namespace {

constexpr const char kHelp[] =
    R"HELP(Usage: dunaxconv [options] B|X PROGRAM FILE...
       dunaxconv [options] --list LISTFILE B|X PROGRAM [FILE...]
       dunaxconv verify [options] PROGRAM FILE...
       dunaxconv --clean-up [--quiet] FOLDER...

Converts data files with the converter DUNAXMF, one converter run per file, and acts on
each run's exit code.

  B        from the Micro Focus data file to its transfer file FILE.bin (and FILE.bi1 to
           FILE.bi9 for every further million records), for the RM/COBOL side to read
  X        from the transfer file that the RM/COBOL side wrote back to the data file; the
           number of extra segments is found from the FILE.bi1 ... FILE.bi9 files present
  PROGRAM  the record-access program that reads and writes the data file (a COBOL name of
           at most 8 characters, taken in upper case), for example RECSEQ for fixed-length
           sequential files; the converter finds it as PROGRAM.so (or program.so) on
           COB_LIBRARY_PATH, then in ../lib/dunax beside the converter, then beside it
  FILE     a data file, with its folder if need be (relative names are taken from the
           current directory); its own name, without the folder, is at most 50 bytes in
           Windows-1252 and holds no spaces. The converter runs in the file's folder and is
           given the file's own name; the transfer files are written beside the data file

Options:
  --list LISTFILE        also convert the files named in LISTFILE, one a line (blank lines
                         and lines starting with "#" are left out); they come before the
                         FILEs of the command line
  --record-length N      the record length of the data file, 1 to 1024, passed in field B
                         (RECSEQ reads it there); the same as --field-b with N as 10 digits
  --field-a TEXT         pass-through field A for the record-access program (3 bytes)
  --field-b TEXT         pass-through field B (10 bytes)
  --field-c TEXT         pass-through field C (2 bytes)
  --field-d TEXT         pass-through field D (1 byte)
  --field-e TEXT         pass-through field E (8 bytes)
  --field-f TEXT         pass-through field F (1 byte)
  --key-option           have the converter use the alternative request codes
                         ("AST", "ARN", "AWR") of the record-access program
  --ask                  ask the operator what to do when a file cannot be converted
                         (without it the file is given up without asking); needs a
                         terminal on standard input, or the answers given in
                         DUNAX_VRDMSG_ANSWERS (for example DUNAX_VRDMSG_ANSWERS=yy)
  --jobs N               convert up to N files side by side (1 to 64). Only for unattended
                         runs: when standard input is a terminal the files are converted one
                         at a time, so that the operator can follow each one in its window
  --report FILE          write the migration report to FILE (emptied first): one JSON
                         object a line for each file, written as the file ends, with its
                         outcome, exit code, reason, the converter's record counts, the
                         SHA-256 of its transfer set (FILE.bin, then FILE.bi1 ...: the same
                         as "cat F.bin F.bi1 | sha256sum") and of its data file, the bytes,
                         when it started and how long it took
  --resume FILE          FILE is the report of an earlier run: a file it shows converted
                         (the same direction and program) whose transfer set and data file
                         still have the digests it gives is not converted again ("unchanged");
                         every other file is. Files of FILE that this run does not name are
                         left out. Give the new report another name than FILE
  --converter PATH       the converter program to run (default: DUNAXMF beside dunaxconv)
  --quiet                print nothing but the summary (and errors of usage)
  --check                convert nothing: run every check at once and say what would fail
                         (see below); exit 0 when every file would start, 64 otherwise
  --shard K/N            take only the files K, K+N, K+2N ... of the list (from 1), this
                         machine's share of N; the file numbers are those of the share
  -h, --help             show this text
  --version              show the version of dunax

Each converter run gets one run parameter of 121 characters: the direction, the program,
the pass-through fields, the file name, the file's number and the total, the estimated
remaining time (the mean time of the files finished so far times the files left, divided
by the jobs), and in "X" the count of extra segments. Text values are given in UTF-8 and
passed in Windows-1252.

Before anything is converted dunaxconv refuses (exit code 64, saying what to fix): a file
name, program name or field that does not fit, a record length outside 1 to 1024, and a
record-access program that the converter would not find (the same search, from the
converter's folder).

Without a terminal on standard input a line tells when each file starts and how it ended
("[3/40] clientes.dat: converting", then "[3/40] clientes.dat: converted (1.2 s, 250,000
records, 210 MB/s)", or "[3/40] clientes.dat: skipped (0.2 s): read: status 04 ..."),
and every 10 seconds a line tells how far the whole run has come ("batch: 12 of 40 files
done, 3,000,000 records, 210 MB/s, about 2 min 5 s left"); on a terminal the converter's
panel shows the file while it runs and the line follows when it ends. At the end a table
lists every file: outcome, segments, records, time and, for a file not converted, the
reason: the one the converter gave on its standard error, or how it ended (exit code,
signal); its last line counts the outcomes and the records. The converter's other lines on
standard error are passed on (dunaxconv sets DUNAX_COUNTS=1 for it: its counts line is read,
not passed on).

The converter's exit code decides what happens next:
  0-9   the file was converted ("B": the number of extra segments written)
  32    the file was given up; the run goes on with the next file
  16    the run is to stop: no further file is started, running ones are let finish
  other (or a crash) the file failed; the run stops as for 16

Exit codes of dunaxconv:
  0     every file was converted
  1     every file was converted or given up, and at least one was given up
  2     the run was stopped, a file failed, the converter could not be started, or the
        report could not be written in full
  64    bad usage: an unknown option, a missing value, a name or field that does not fit,
        a record length outside 1 to 1024, a record-access program that cannot be found,
        two names of one file or of one transfer file (compared by real path, with every
        segment name FILE.bi1 ... FILE.bi9), --ask with nobody to answer, a --report
        that cannot be written or that is the --resume file, a --resume file that cannot
        be read or is not a report (its line is named)

--check finds, besides the refusals above, a missing input, an input that ends in part of a
record (RECSEQ's data file in "B", any transfer set in "X"), segment gaps, leftovers of
killed runs (FILE.bin.dunax-part ..., a publish journal FILE.bin.dunax-journal,
FILE.dunax-new), a conversion of the file running now, and too little room: the outputs'
size per file system against its free space ("B": RECSEQ's transfer set exactly, any other
program's bounded by the data file's size times 1024 divided by --record-length, or by 1
without it; "X": the transfer set's records times the record length, or 1024).

verify reads each data file through PROGRAM with the requests of direction "B" and compares
it record by record with its transfer set (FILE.bin, FILE.bi1 ...); past the record length
(--record-length) a space and a zero byte count as the same. It prints a line a file:
"FILE: same" with the count of records, the first record that differs and its first
differing byte offset, or the two counts. Exit 0 when every file is the same, 1 otherwise,
64 for bad usage and for a file with no transfer set (nothing is read then).

--clean-up removes what killed runs left in each FOLDER (not in its subfolders): segment
temporaries, a journal's temporary, FILE.dunax-new. A file whose lock a running conversion
holds is left alone; so is a file with a publish journal (its publish is completed by the
next conversion of that file: run it again). Exit 0 when everything found was removed, 1
when something was left, 64 for bad usage.

Example:
  dunaxconv --record-length 120 B RECSEQ clientes.dat fornecedores.dat
  (the RM/COBOL side reads clientes.dat.bin and writes it back, then)
  dunaxconv --record-length 120 X RECSEQ clientes.dat fornecedores.dat
  dunaxconv --jobs 2 --list todos.txt B RECSEQ < /dev/null
  dunaxconv --jobs 2 --report dia1.jsonl --list todos.txt B RECSEQ < /dev/null
  dunaxconv --jobs 2 --resume dia1.jsonl --report dia2.jsonl --list todos.txt B RECSEQ
  dunaxconv --record-length 120 B RECSEQ /srv/dados/empresa01/2024/clientes.dat
  dunaxconv verify --record-length 120 RECSEQ clientes.dat fornecedores.dat
  dunaxconv --check --shard 2/8 --list todos.txt B RECSEQ
  dunaxconv --clean-up /srv/dados/empresa01/2024
)HELP";

struct FieldOption {
  const char* name;
  const char* label;
  std::size_t width;
  std::string RunSettings::*member;
};

const FieldOption kFieldOptions[] = {
    {"--field-a", "field A", 3, &RunSettings::fieldA},
    {"--field-b", "field B", 10, &RunSettings::fieldB},
    {"--field-c", "field C", 2, &RunSettings::fieldC},
    {"--field-d", "field D", 1, &RunSettings::fieldD},
    {"--field-e", "field E", 8, &RunSettings::fieldE},
    {"--field-f", "field F", 1, &RunSettings::fieldF},
};

// Returns true and sets *value when text is a decimal number of 1 to digits digits.
bool readNumber(const std::string& text, std::size_t digits, unsigned long long* value) {
  if (text.empty() || text.size() > digits) return false;
  unsigned long long result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<unsigned>(c - '0');
  }
  *value = result;
  return true;
}

bool takesValue(const std::string& name) {
  if (name == "--list" || name == "--jobs" || name == "--converter" ||
      name == "--record-length" || name == "--shard" || name == "--report" ||
      name == "--resume") {
    return true;
  }
  for (const FieldOption& option : kFieldOptions) {
    if (name == option.name) return true;
  }
  return false;
}

}  // namespace

platform::Expected<Options> parseArguments(const std::vector<std::string>& arguments) {
  Options result;
  std::vector<std::string> positional;
  bool fieldBGiven = false;
  bool recordLengthGiven = false;
  bool optionsEnded = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      positional.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "-h" || argument == "--help") {
      result.help = true;
      return result;
    }
    if (argument == "--version") {
      result.version = true;
      return result;
    }
    std::string name = argument;
    std::string value;
    bool hasValue = false;
    if (std::size_t equals = argument.find('='); equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      hasValue = true;
    }
    if (name == "--key-option" || name == "--ask" || name == "--quiet" || name == "--check") {
      if (hasValue) return refusal("the option " + name + " takes no value");
      if (name == "--quiet" || name == "--check") {
        (name == "--quiet" ? result.quiet : result.check) = true;
      } else {
        (name == "--ask" ? result.settings.ask : result.settings.keyOption) = true;
      }
      continue;
    }
    if (!takesValue(name)) return refusal("unknown option " + argument);
    if (!hasValue) {
      if (i + 1 >= arguments.size()) return refusal("the option " + name + " needs a value");
      value = arguments[++i];
    }

    if (name == "--list") {
      if (value.empty()) return refusal("the option --list needs a file name");
      result.listFile = value;
    } else if (name == "--shard") {
      platform::Expected<Shard> shard = parseShard(value);
      if (!shard) return shard.status();
      result.shard = *shard;
    } else if (name == "--report" || name == "--resume") {
      if (value.empty()) return refusal("the option " + name + " needs a file name");
      (name == "--report" ? result.reportFile : result.resumeFile) = value;
    } else if (name == "--converter") {
      if (value.empty()) return refusal("the option --converter needs a program path");
      result.converter = value;
    } else if (name == "--jobs") {
      unsigned long long jobs = 0;
      if (!readNumber(value, 3, &jobs) || jobs < 1 || jobs > kMostJobs) {
        return refusal("--jobs takes a number from 1 to " + std::to_string(kMostJobs) +
                       ", not \"" + value + "\"");
      }
      result.jobs = static_cast<unsigned>(jobs);
    } else if (name == "--record-length") {
      unsigned long long length = 0;
      if (!readNumber(value, 10, &length) || length == 0 || length > kMostRecordLength) {
        return refusal("--record-length takes a number from 1 to " +
                       std::to_string(kMostRecordLength) +
                       " (a transfer record holds 1024 bytes), not \"" + value + "\"");
      }
      std::string digits = std::to_string(length);
      result.settings.fieldB = std::string(10 - digits.size(), '0') + digits;
      recordLengthGiven = true;
    } else {
      for (const FieldOption& option : kFieldOptions) {
        if (name != option.name) continue;
        platform::Expected<std::string> converted =
            convertFieldValue(option.label, value, option.width);
        if (!converted) return converted.status();
        result.settings.*option.member = *converted;
        if (option.member == &RunSettings::fieldB) fieldBGiven = true;
      }
    }
  }
  if (fieldBGiven && recordLengthGiven) {
    return refusal("--record-length fills field B: give --field-b or --record-length, not both");
  }

  if (positional.empty()) return refusal("the direction (B or X) is missing");
  if (positional[0] != "B" && positional[0] != "X") {
    return refusal("the direction must be B or X, not \"" + positional[0] + "\"");
  }
  result.settings.direction = positional[0][0];
  if (positional.size() < 2) return refusal("the record-access program name is missing");
  platform::Expected<std::string> program = checkProgramName(positional[1]);
  if (!program) return program.status();
  result.settings.program = *program;
  // COBOL names know no case: RECSEQ, recseq and RecSeq are one program.
  for (char& c : result.settings.program) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  result.files.assign(positional.begin() + 2, positional.end());
  if (result.files.empty() && result.listFile.empty()) {
    return refusal("no data file given (name them after the program, or with --list)");
  }
  return result;
}

std::string dataFileNameOfListLine(const std::string& line) {
  const char* blanks = " \t\r";
  std::size_t first = line.find_first_not_of(blanks);
  if (first == std::string::npos || line[first] == '#') return {};
  std::size_t last = line.find_last_not_of(blanks);
  return line.substr(first, last - first + 1);
}

std::vector<std::string> checkDataFiles(const std::vector<std::string>& names,
                                        std::vector<DataFile>* files) {
  std::vector<std::string> problems;
  files->clear();
  if (names.empty()) problems.push_back("no data file to convert");
  if (names.size() > kMostFiles) {
    problems.push_back(std::to_string(names.size()) + " data files: one run numbers at most " +
                       std::to_string(kMostFiles) + "; split the list");
    return problems;
  }
  for (const std::string& name : names) {
    DataFile file;
    file.name = name;
    const std::size_t slash = name.find_last_of("/\\");
    const std::string ownName = slash == std::string::npos ? name : name.substr(slash + 1);
    if (slash != std::string::npos) {
      file.folder = slash == 0 ? "/" : name.substr(0, slash);
      for (char& c : file.folder) {
        if (c == '\\') c = '/';
      }
    }
    if (slash != std::string::npos && (ownName.empty() || ownName == "." || ownName == "..")) {
      problems.push_back("\"" + name + "\" names a folder, not a data file");
      continue;
    }
    platform::Expected<std::string> checked = checkFileName(ownName);
    if (!checked) {
      problems.push_back(checked.status().message() +
                         (ownName != name ? " (in \"" + name + "\")" : ""));
      continue;
    }
    file.windows1252 = *checked;
    files->push_back(file);
  }
  return problems;
}

const char* helpText() { return kHelp; }

}  // namespace dunax::manager
