// The information lookup and the information layout.
#include "executor/information.h"

#include <string>

#include "platform/text_encoding.h"

namespace dunax::executor {

void writeInformationLayout(char* area, const platform::DirectoryEntry* entry) {
  if (entry == nullptr) {
    for (int i = 0; i < 30; ++i) area[i] = '0';
    return;
  }
  const std::uint16_t date = platform::packFatDate(entry->modified);
  const std::uint16_t time = platform::packFatTime(entry->modified);
  const unsigned packedYear = date >> 9;
  putDigits(area, 16, entry->size);
  putDigits(area + 16, 2, date & 0x1F);
  putDigits(area + 18, 2, (date >> 5) & 0x0F);
  putDigits(area + 20, 4, packedYear == 0 ? 0 : 1980 + packedYear);
  putDigits(area + 24, 2, time >> 11);
  putDigits(area + 26, 2, (time >> 5) & 0x3F);
  putDigits(area + 28, 2, time & 0x1F);
}

bool lookUpInformation(Job& job, platform::DirectoryEntry* found) {
  const std::string name(nameIn(job.record.argument1, kArgumentLength));
  const platform::Expected<platform::DirectoryEntry> entry = platform::lookUpEntry(name);
  writeInformationLayout(job.record.argument1, entry ? &*entry : nullptr);
  if (!entry) {
    job.fail(name.empty() ? std::string("no name was given")
             : entry.status().is(platform::StatusCode::NotFound)
                 ? std::string(name) + " was not found"
                 : name + ": " + platform::windows1252FromUtf8(entry.status().message()));
  }
  if (entry && found != nullptr) *found = *entry;
  return entry.ok();
}

}  // namespace dunax::executor
