// The up-front checks of each data file's own transfer set.
#include "manager/transfer_set_checks.h"

#include "platform/text_encoding.h"
#include "manager/segments.h"
#include "layouts/transfer_segments.h"

namespace dunax::manager {
namespace {

// A segment's name as the operator reads it: UTF-8, with the folder the file was given in.
std::string shownName(const DataFile& file, const std::string& windows1252Name) {
  std::string shown;
  if (!file.folder.empty()) shown = file.folder + (file.folder.back() == '/' ? "" : "/");
  platform::appendUtf8FromWindows1252(windows1252Name.data(), windows1252Name.size(), shown);
  return shown;
}

}  // namespace

std::vector<std::string> findTransferSetProblems(const std::vector<DataFile>& files,
                                                 char direction, const SegmentExists& exists) {
  std::vector<std::string> messages;
  for (const DataFile& file : files) {
    const std::string& name = file.windows1252;
    if (const int segment = segmentNamedAsFirst(name); segment != 0) {
      messages.push_back("the data file \"" + file.name + "\" has the transfer file \"" +
                         shownName(file, transferSegmentName(name, 0)) +
                         "\", which is also the name of its segment " + std::to_string(segment) +
                         " (the character after the first \".bi\" of the name is a segment "
                         "digit): rename the data file");
      continue;
    }
    if (direction != 'X') continue;
    const int gap = firstSegmentGap(name, [&](const std::string& segmentName) {
      return exists(file.folder, segmentName);
    });
    if (gap == 0) continue;
    int later = gap + 1;
    while (later < layouts::kMostExtraSegments &&
           !exists(file.folder, transferSegmentName(name, later))) {
      ++later;
    }
    messages.push_back("the transfer set of \"" + file.name + "\" has a gap: \"" +
                       shownName(file, transferSegmentName(name, gap)) + "\" is missing but \"" +
                       shownName(file, transferSegmentName(name, later)) +
                       "\" is there; put the missing segment back, or remove the later ones");
  }
  return messages;
}

}  // namespace dunax::manager
