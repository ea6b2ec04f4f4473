// The executor's records, laid out in layouts/: the exchange record, the message block of the
// screen library's post and fetch, the placeholder window and the start-up block; and how the
// executor fills them.
#pragma once

#include <cstddef>
#include <string_view>

#include "layouts/byte_fields.h"
#include "layouts/exchange_record.h"
#include "layouts/panel_records.h"

namespace dunax::executor {

using layouts::ExchangeRecord;
using layouts::MessageBlock;
using layouts::StartUpBlock;
using layouts::WindowRecord;
using layouts::fillForPost;
using layouts::putDigits;
using layouts::putPadded;
using layouts::kArgumentLength;

// Sets the text and the 2-byte field in front of it to binary zeros, as before every fetch.
void clearForFetch(MessageBlock& block);

// Writes the reply's notes into the text after the record (layouts::ReplyNotes): the exit
// status as 10 digits (spaces when it is negative: no command ran) and the reason, cut to its
// field and padded with spaces.
void fillReplyNotes(MessageBlock& block, int exitStatus, std::string_view reason);

// The return code the library wrote into the block.
inline int returnCodeOf(const MessageBlock& block) {
  return layouts::readLittleEndian16(block.returnCode);
}

// Fills the placeholder window record: 0, 10, 38, 38, 100, 100 in the library's area; zeros
// after, except 80 columns, 25 rows, the window name "Dummy2  " and the mark "x".
void fillWindowBlock(WindowRecord& window);

// Fills the start-up block: two zero bytes and "VRD     ".
void fillStartUpBlock(StartUpBlock& block);

// Returns the area up to its first space (the whole area when it holds none).
std::string_view nameIn(const char* area, std::size_t width);

// Returns true when every byte of the area is a space.
bool isBlank(const char* area, std::size_t width);

}  // namespace dunax::executor
