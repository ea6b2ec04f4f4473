// Finding data files of one run that would overwrite each other, through what every name each
// file has reaches: its data file and its transfer-file segments.
#include "manager/file_clashes.h"

#include <map>

#include "platform/text_encoding.h"
#include "manager/host_files.h"
#include "manager/segments.h"
#include "layouts/transfer_segments.h"

namespace dunax::manager {
namespace {

// One name a file of the run has: the data file itself, or one of its transfer-file segments.
struct Claim {
  std::size_t file;
  bool isDataFile;
  std::string name;  // as the converter writes it in the file's folder (Windows-1252)
};

// The message for the file later in the run (claim) meeting the one before it (earlier).
std::string clashMessage(const std::vector<DataFile>& files, const Claim& earlier,
                         const Claim& claim) {
  const Claim& transferClaim = earlier.isDataFile ? claim : earlier;
  std::string ownName;  // for the operator, in UTF-8
  platform::appendUtf8FromWindows1252(transferClaim.name.data(), transferClaim.name.size(),
                                      ownName);
  const std::string transferName = inFolder(files[transferClaim.file].folder, ownName);
  const std::string& first = files[earlier.file].name;
  const std::string& second = files[claim.file].name;
  if (earlier.isDataFile && claim.isDataFile) {
    return "the data files \"" + first + "\" and \"" + second + "\" are one file";
  }
  if (!earlier.isDataFile && !claim.isDataFile) {
    return "the data files \"" + first + "\" and \"" + second +
           "\" would both use the transfer file \"" + transferName + "\"";
  }
  const Claim& transfer = earlier.isDataFile ? claim : earlier;
  const Claim& data = earlier.isDataFile ? earlier : claim;
  return "the transfer file \"" + transferName + "\" of the data file \"" +
         files[transfer.file].name + "\" is the data file \"" + files[data.file].name + "\"";
}

}  // namespace

std::vector<std::string> findFileClashes(const std::vector<DataFile>& files,
                                         const FileKeyOf& fileKeyOf) {
  std::vector<std::string> messages;
  std::map<std::string, Claim> claimed;  // what a name reaches -> the first file that has it
  for (std::size_t file = 0; file < files.size(); ++file) {
    std::vector<Claim> claims = {{file, true, files[file].windows1252}};
    for (int segment = 0; segment <= layouts::kMostExtraSegments; ++segment) {
      std::string name = transferSegmentName(files[file].windows1252, segment);
      if (!name.empty()) claims.push_back({file, false, name});
    }
    bool reported = false;
    for (const Claim& claim : claims) {
      auto [at, isNew] = claimed.emplace(fileKeyOf(files[file], claim.name), claim);
      if (isNew || at->second.file == file || reported) continue;
      messages.push_back(clashMessage(files, at->second, claim));
      reported = true;
    }
  }
  return messages;
}

}  // namespace dunax::manager
