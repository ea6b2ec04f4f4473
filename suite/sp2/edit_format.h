// Edit formats of the panel fields: how a field's value is shown. "X(040)" or "XXX" shows text
// as it is; "ZZZ ZZZ ZZ9" shows digits with leading zeros suppressed ("Z") or kept ("9") and
// insertion characters between them; a field without a format shows its value as it is.
#pragma once

#include <cstddef>

namespace dunax::sp2 {

// Writes the shown form of value (valueLength bytes, Windows-1252) under the edit format
// (formatLength bytes; repeats such as "X(040)" are expanded) into out, exactly shownLength
// bytes: space-padded on the right or cut. A numeric format takes the last digit positions of
// the value, counting NUL bytes and spaces as zeros; any other byte is shown as it is. An
// insertion character is shown as a space while zeros are still being suppressed.
void applyEditFormat(const char* format, std::size_t formatLength, const char* value,
                     std::size_t valueLength, char* out, std::size_t shownLength);

}  // namespace dunax::sp2
