// What dunaxconv asks of the host's file system, every name through the platform's conversion
// of the records' names and its own spelling of paths and modules.
#include "manager/host_files.h"

#include "platform/file_identity.h"
#include "platform/file_routines.h"
#include "platform/host_path.h"
#include "platform/process.h"
#include "platform/program_call.h"
#include "platform/record_file.h"
#include "platform/text_encoding.h"
#include "manager/run_parameter.h"

namespace dunax::manager {

std::string inFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder + (folder.back() == '/' ? "" : "/") + name;
}

std::string realPathOrName(const std::string& name) {
  platform::Expected<std::string> real = platform::realPath(name);
  if (real) return *real;
  return platform::hostPathFrom(name).valueOr({});
}

std::string fileKeyOf(const DataFile& file, const std::string& windows1252Name) {
  const std::string own = platform::hostNameFromRecord(windows1252Name).valueOr(windows1252Name);
  const std::string name = inFolder(file.folder, own);
  if (platform::Expected<platform::FileIdentity> identity = platform::fileIdentity(name)) {
    return "file " + std::to_string(identity->device) + ":" + std::to_string(identity->number);
  }
  return "path " + realPathOrName(name);
}

bool segmentExists(const std::string& folder, const std::string& windows1252Name) {
  const platform::Expected<std::string> own = platform::hostNameFromRecord(windows1252Name);
  if (!own) return true;
  const std::string name = inFolder(folder, *own);
  platform::RecordFile file(platform::Organization::RecordSequential, 1);
  const platform::FileStatus status = file.open(name.c_str(), platform::OpenMode::Input);
  if (file.isOpen()) file.close();
  return !status.is('3', '5');
}

void makeModulePathAbsolute() {
  const char* value = platform::environmentValue(kModulePathVariable);
  if (value == nullptr) return;
  const platform::Expected<std::string> current = platform::currentDirectory();
  if (!current) return;
  const std::string absolute = platform::moduleSearchPathUnder(value, *current);
  // Best effort: a path that cannot be set stays as it was given.
  if (absolute != value) (void)platform::setEnvironmentValue(kModulePathVariable, absolute.c_str());
}

platform::Status checkProgramFound(const std::string& program, const std::string& converterPath) {
  // The converter's directory as it sees it itself: symbolic links resolved.
  platform::ModuleSearch search =
      platform::findModule(program, platform::directoryOfPath(realPathOrName(converterPath)));
  if (!search.path.empty()) return {};
  std::string name;
  platform::appendUtf8FromWindows1252(program.data(), program.size(), name);
  return refusal("the record-access program " + name + " cannot be found (searched: " +
                 search.searched + "): put " + name + platform::moduleFileSuffix() +
                 " in one of those folders, or name its folder in " + kModulePathVariable);
}

}  // namespace dunax::manager
