// The meaning of a file status in words, for the line that says why a file was not converted:
// "status 04 (a record of the wrong length: a partial record at the end)", the words a
// record-access program left for a failure, and record numbers as the reasons show them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_status.h"

namespace dunax::converter::access {

// The meaning of status in a few words; a status no table row knows gives "an unknown status".
// operation is the operation the status answered, in the words of the run's reasons ("open
// for reading", "open for writing", "read", ...; empty when not known): "37" speaks of reading
// or of writing as that operation did.
const char* statusMeaning(platform::FileStatus status, std::string_view operation = {});

// "status SS": a byte that is not printable (as after "9") shown as "/NNN", its value; two
// spaces as "none".
std::string statusText(platform::FileStatus status);

// "status SS (meaning)", the meaning as statusMeaning gives it for operation.
std::string describeStatus(platform::FileStatus status, std::string_view operation = {});

// The words a record-access program left in the record area after a failed request
// (layouts/request_block.h): the printable bytes after the mark, trailing spaces cut; empty
// when the area holds no mark or no words.
std::string failureWordsIn(const unsigned char* recordArea);

// A record number with a comma between thousands: "60,001".
std::string recordNumberText(std::uint64_t number);

}  // namespace dunax::converter::access
