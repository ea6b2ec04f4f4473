// The operator's lines of dunaxconv, one platform line writer call per line.
#include "manager/operator_lines.h"

#include "platform/console.h"

namespace dunax::manager {

void writeLines(const std::string& text, Stream stream) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (stream == Stream::Output) {
      platform::writeOutputLine(line.c_str());
    } else {
      platform::writeErrorLine(line.c_str());
    }
    start = end + 1;
  }
}

void tellOperator(const std::string& text) { writeLines("dunaxconv: " + text, Stream::Output); }

void sayError(const std::string& text) { writeLines("dunaxconv: " + text, Stream::Error); }

}  // namespace dunax::manager
