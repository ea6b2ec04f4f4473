// The scripts of the converter's doubles: "n:value,n:value,..." read into a map from the
// number n (a call or display count) to the value's text.
#pragma once

#include <cstdlib>
#include <map>
#include <string>

namespace dunax::doubles {

inline std::map<long, std::string> readNumberedList(const char* text) {
  std::map<long, std::string> items;
  if (text == nullptr) return items;
  std::string list = text;
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string item = list.substr(start, comma - start);
    std::size_t colon = item.find(':');
    if (colon != std::string::npos) {
      items[std::atol(item.substr(0, colon).c_str())] = item.substr(colon + 1);
    }
    start = comma + 1;
  }
  return items;
}

}  // namespace dunax::doubles
