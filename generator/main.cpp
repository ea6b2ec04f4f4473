// dunaxgen: makes a record-access program from a data file's own COBOL description (its
// SELECT entry and FD). Reads and checks the description, writes the program's source, has
// cobc build the module, asks the module its record sizes, and only then puts NAME.so and
// NAME.cob in the output folder; on any failure nothing is left behind.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "generator/description.h"
#include "generator/module_build.h"
#include "generator/program_text.h"
#include "layouts/request_block.h"
#include "platform/process.h"
#include "platform/version.h"

namespace dunax::generator {
namespace {

namespace fs = std::filesystem;

constexpr char kRuntimeArchive[] = "dunaxgen-runtime.a";

constexpr char kUsage[] =
    "Usage: dunaxgen [--output DIR] [--free] [--trim] NAME DESCRIPTION\n"
    "Makes the record-access program NAME (DIR/NAME.so, entry NAME, and its source DIR/NAME.cob)\n"
    "for the data file that DESCRIPTION describes: COBOL text holding the file's SELECT entry\n"
    "and its FD with the record descriptions, as the programs that use the file copy them.\n"
    "The converter (DUNAXMF, dunaxconv) then calls NAME to read and write that data file.\n"
    "  NAME          1 to 8 letters and digits, beginning with a letter (made upper case)\n"
    "  --output DIR  where NAME.so and NAME.cob are written (default: the current folder)\n"
    "  --free        DESCRIPTION is in free format (default: fixed, columns 8 to 72)\n"
    "  --trim        records of varying length with nothing in them that says their length:\n"
    "                write each record without its trailing spaces (they are lost)\n"
    "  --help, --version\n"
    "Needs GnuCOBOL's cobc. Exit 0 when the program was made; 1 when it was not (one line per\n"
    "problem on standard error); 2 for a wrong command line.\n";

struct Options {
  std::string output = ".";
  bool freeFormat = false;
  bool trim = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> operands;
  std::string error;
};

Options parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--help") options.help = true;
    else if (word == "--version") options.version = true;
    else if (word == "--free") options.freeFormat = true;
    else if (word == "--trim") options.trim = true;
    else if (word == "--output") {
      if (i + 1 == argc) options.error = "--output needs a folder";
      else options.output = argv[++i];
    } else if (word.size() > 1 && word[0] == '-') {
      options.error = "unknown option " + word;
    } else {
      options.operands.push_back(word);
    }
  }
  if (options.error.empty() && !options.help && !options.version && options.operands.size() != 2) {
    options.error = "give NAME and DESCRIPTION";
  }
  return options;
}

void say(const std::string& text) { std::fprintf(stderr, "dunaxgen: %s\n", text.c_str()); }

// A new empty folder inside output for the work of this run. Returns its path, or empty with
// why in error.
fs::path makeWorkFolder(const fs::path& output, const std::string& name, std::string& error) {
  std::error_code code;
  if (!fs::is_directory(output, code)) {
    error = "the output folder " + output.string() + " does not exist or is not a folder";
    return {};
  }
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    fs::path work = output / (".dunaxgen-" + name + "-" + std::to_string(random() % 1000000));
    if (fs::create_directory(work, code)) return work;
    if (code) {
      error = "the output folder " + output.string() + " cannot be written: " + code.message();
      return {};
    }
  }
  error = "no work folder could be made in " + output.string();
  return {};
}

bool writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return static_cast<bool>(out);
}

// Checks before anything is built that the program can tell the length of each record it
// writes. Returns the problems, one line each.
std::vector<std::string> checkLengths(const Description& d, const std::string& descriptionName,
                                      bool trim) {
  std::vector<std::string> problems;
  if (d.organisation == Organisation::LineSequential) return problems;
  const std::string where = descriptionName + ": line " + std::to_string(d.fdLine) + ": ";
  if (hasVaryingLength(d)) {
    if (d.tables.empty() && !trim) {
      problems.push_back(where + "nothing in the records of " + d.fileName +
                         " says how long each one is: give --trim to write each record without "
                         "its trailing spaces (they are lost)");
    }
  } else if (d.variable) {
    problems.push_back(where + "the records of " + d.fileName +
                       " vary in length and nothing names the length: write RECORD VARYING ... "
                       "DEPENDING ON name in the FD (and give --trim)");
  }
  return problems;
}

// Checks the sizes the module answered against what a transfer record holds and what the
// program can carry. Returns the problems, one line each.
std::vector<std::string> checkSizes(const Description& d, const std::vector<unsigned long>& sizes,
                                    const std::string& descriptionName) {
  std::vector<std::string> problems;
  for (std::size_t i = 0; i < d.records.size() && i < sizes.size(); ++i) {
    if (sizes[i] > layouts::kTransferRecordLength) {
      problems.push_back(descriptionName + ": line " + std::to_string(d.records[i].line) +
                         ": the record " + d.records[i].name + " is " + std::to_string(sizes[i]) +
                         " bytes, longer than the " +
                         std::to_string(layouts::kTransferRecordLength) +
                         " bytes of a transfer record: it cannot be converted");
    }
  }
  bool differ = false;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (d.records[i].name != "FILLER" && sizes[i] != sizes.front()) differ = true;
  }
  if (problems.empty() && differ && !d.variable && d.organisation != Organisation::LineSequential) {
    problems.push_back(descriptionName + ": line " + std::to_string(d.fdLine) + ": the 01 records of " +
                       d.fileName + " differ in size and nothing names each one's length: write "
                       "RECORD VARYING ... DEPENDING ON name in the FD (and give --trim), or make "
                       "every 01 record the same size");
  }
  return problems;
}

int run(const Options& options) {
  // COBOL names know no case: the program is made, and called, in upper case.
  std::string name = options.operands[0];
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string descriptionName = options.operands[1];
  if (!isProgramName(name)) {
    say("NAME \"" + name + "\" must be 1 to 8 letters and digits beginning with a letter, the "
        "name the converter calls");
    return 1;
  }
  std::ifstream in(descriptionName, std::ios::binary);
  if (!in) {
    say("the description " + descriptionName + " cannot be read");
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Description description;
  std::vector<std::string> problems = readDescription(text, options.freeFormat, description);
  if (problems.empty()) problems = checkLengths(description, descriptionName, options.trim);
  for (const std::string& problem : problems) {
    say(problem.compare(0, descriptionName.size(), descriptionName) == 0 ? problem
                                                                          : descriptionName + ": " + problem);
  }
  if (!problems.empty()) return 1;

  std::string cobc = findCobc();
  if (cobc.empty()) {
    say("cobc (GnuCOBOL) is not installed, and dunaxgen builds programs with it: install "
        "GnuCOBOL (Debian, Ubuntu: apt-get install gnucobol3) and run dunaxgen again");
    return 1;
  }
  const fs::path runtime = fs::path(platform::programDirectory()) / ".." / "lib" / "dunax" / kRuntimeArchive;
  std::error_code code;
  if (!fs::is_regular_file(runtime, code)) {
    say("the run-time part of the programs, " + runtime.string() + ", is missing: reinstall dunax");
    return 1;
  }

  std::string error;
  const fs::path output = options.output;
  fs::path work = makeWorkFolder(output, name, error);
  if (work.empty()) {
    say(error);
    return 1;
  }
  int result = 1;
  ProgramText program = makeProgramText(description, name, fs::path(descriptionName).filename().string());
  const fs::path source = work / (name + ".cob");
  const fs::path module = work / (name + ".so");
  if (!writeText(source, program.source)) {
    say("the output folder " + output.string() + " cannot be written (" + source.string() + ")");
  } else {
    BuildRequest request;
    request.cobc = cobc;
    request.workDirectory = work.string();
    request.name = name;
    request.freeFormat = options.freeFormat;
    request.runtimeArchive = fs::absolute(runtime, code).string();
    request.copyDirectory = fs::absolute(fs::path(descriptionName), code).parent_path().string();
    request.descriptionName = descriptionName;
    if (!buildModule(request, program)) {
      say("cobc could not build the program from " + descriptionName + " (its messages are above)");
    } else {
      std::vector<unsigned long> sizes =
          recordSizes(fs::absolute(work, code).string(), name, description.records.size(), error);
      if (sizes.empty()) {
        say(error);
      } else {
        problems = checkSizes(description, sizes, descriptionName);
        for (const std::string& problem : problems) say(problem);
        if (problems.empty()) {
          fs::rename(source, output / (name + ".cob"), code);
          if (!code) fs::rename(module, output / (name + ".so"), code);
          if (code) {
            fs::remove(output / (name + ".cob"), code);
            say("the output folder " + output.string() + " cannot be written: " + code.message());
          } else {
            std::printf("%s: %s made for the file %s (record %s, %lu bytes)\n", name.c_str(),
                        (output / (name + ".so")).string().c_str(), description.fileName.c_str(),
                        description.records.front().name.c_str(), sizes.front());
            result = 0;
          }
        }
      }
    }
  }
  fs::remove_all(work, code);
  return result;
}

}  // namespace
}  // namespace dunax::generator

int main(int argc, char** argv) {
  using namespace dunax::generator;
  Options options = parseOptions(argc, argv);
  if (!options.error.empty()) {
    say(options.error + " (see dunaxgen --help)");
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("dunaxgen (dunax) %s\n", dunax::platform::kDunaxVersion);
    return 0;
  }
  int result = run(options);
  dunax::platform::endProcess(result);
}
