// Running cobc on the generated source, showing its messages in the description's terms, and
// asking the module it made for the sizes of its records.
#include "generator/module_build.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "layouts/request_block.h"
#include "platform/child_process.h"
#include "platform/process.h"
#include "platform/program_call.h"

namespace dunax::generator {

namespace {
constexpr std::size_t kMostMessagesKept = std::size_t{256} * 1024;
}  // namespace

std::string findCobc() {
  const char* path = platform::environmentValue("PATH");
  std::string list = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string directory = list.substr(start, end - start);
    if (directory.empty()) directory = ".";
    std::filesystem::path candidate = std::filesystem::path(directory) / "cobc";
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error) &&
        (std::filesystem::status(candidate, error).permissions() &
         std::filesystem::perms::owner_exec) != std::filesystem::perms::none) {
      return candidate.string();
    }
    start = end + 1;
  }
  return {};
}

std::string describeMessages(const std::string& messages, const std::string& sourceName,
                             const std::string& descriptionName, const std::vector<int>& origin) {
  std::string out;
  std::size_t start = 0;
  const std::string prefix = sourceName + ":";
  while (start < messages.size()) {
    std::size_t end = messages.find('\n', start);
    if (end == std::string::npos) end = messages.size();
    std::string line = messages.substr(start, end - start);
    start = end + 1;
    if (line.compare(0, prefix.size(), prefix) == 0) {
      std::size_t digits = prefix.size();
      std::size_t colon = line.find(':', digits);
      int number = 0;
      bool numbered = colon != std::string::npos && colon > digits;
      for (std::size_t i = digits; numbered && i < colon; ++i) {
        if (line[i] < '0' || line[i] > '9') numbered = false;
        else number = number * 10 + (line[i] - '0');
      }
      if (numbered) {
        int from = number >= 1 && static_cast<std::size_t>(number) <= origin.size()
                       ? origin[static_cast<std::size_t>(number) - 1] : 0;
        line = (from != 0 ? descriptionName + ":" + std::to_string(from)
                          : sourceName + " (generated):" + std::to_string(number)) +
               line.substr(colon);
      }
    }
    out += line + "\n";
  }
  return out;
}

bool buildModule(const BuildRequest& request, const ProgramText& program) {
  const std::string source = request.name + ".cob";
  std::vector<std::string> arguments = {"cobc", "-b", "-O2"};
  if (request.freeFormat) arguments.push_back("-free");
  arguments.insert(arguments.end(),
                   {"-fstatic-call", "-I", request.copyDirectory, "-o", request.name + ".so",
                    source, request.runtimeArchive, "-Q", "-Wl,--exclude-libs,ALL", "-lstdc++"});
  platform::ChildSettings settings;
  settings.workingDirectory = request.workDirectory;
  settings.captureStandardError = true;
  platform::Expected<platform::ChildProcess> child =
      platform::startChildProcess(request.cobc, arguments, settings);
  if (!child) {
    std::fprintf(stderr, "dunaxgen: cobc could not be started: %s\n",
                 child.status().message().c_str());
    return false;
  }
  platform::Expected<platform::ChildEnd> end = platform::waitForChild(*child);
  std::string messages = platform::takeCapturedError(*child, kMostMessagesKept);
  // cobc's own errors and warnings, in the description's terms.
  std::fputs(describeMessages(messages, source, request.descriptionName, program.origin).c_str(),
             stderr);
  return end && end->exited && end->exitCode == 0;
}

std::vector<unsigned long> recordSizes(const std::string& workDirectory, const std::string& name,
                                       std::size_t recordCount, std::string& error) {
  std::vector<unsigned long> sizes;
  if (!platform::setEnvironmentValue("COB_LIBRARY_PATH", workDirectory.c_str()).ok()) {
    error = "COB_LIBRARY_PATH cannot be set";
    return sizes;
  }
  static layouts::RequestBlock block;
  std::memset(&block, 0, sizeof(block));
  block.blockVersion[0] = layouts::kRequestBlockVersion;
  std::memcpy(block.requestCode, "SIZ", 3);
  platform::OutsideProgram program(name);
  platform::Expected<int> called = program.call(&block);
  if (!called) {
    error = "the module made cannot be loaded: " + called.status().message();
    return sizes;
  }
  program.release();
  if (std::memcmp(block.fileStatus, "00", 2) != 0) {
    error = "the module made does not answer its record sizes";
    return sizes;
  }
  const char* area = reinterpret_cast<const char*>(block.recordArea);
  for (std::size_t i = 0; i < recordCount && (i + 1) * 9 <= sizeof(block.recordArea); ++i) {
    unsigned long size = 0;
    for (std::size_t j = 0; j < 9; ++j) {
      char c = area[i * 9 + j];
      size = c >= '0' && c <= '9' ? size * 10 + static_cast<unsigned long>(c - '0') : size;
    }
    sizes.push_back(size);
  }
  return sizes;
}

}  // namespace dunax::generator
