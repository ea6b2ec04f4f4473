// Filling the program template: placeholders replaced, blocks kept or left out by the file's
// organisation ("*>?WORD" ... "*>?END", "*>?!WORD" for the opposite).
#include "generator/program_text.h"

#include <cstdio>
#include <map>
#include <vector>

#include "generator/access_template.h"
#include "platform/version.h"

namespace dunax::generator {
namespace {

constexpr char kIndent[] = "               ";

// Appends the words of one clause as lines of at most 72 columns, each beginning at the
// indentation.
void appendClause(std::string& out, std::vector<int>& origin, const std::string& words, int line,
                  const char* indent = kIndent) {
  std::string current = indent;
  std::size_t start = 0;
  while (start < words.size()) {
    std::size_t end = words.find(' ', start);
    if (end == std::string::npos) end = words.size();
    std::string word = words.substr(start, end - start);
    if (current.size() + word.size() + 1 > 72 && current != indent) {
      out += current + "\n";
      origin.push_back(line);
      current = std::string(kIndent) + "  ";
    }
    if (current.back() != ' ') current += ' ';
    current += word;
    start = end + 1;
  }
  out += current + "\n";
  origin.push_back(line);
}

const char* organisationWords(Organisation organisation) {
  switch (organisation) {
    case Organisation::LineSequential: return "LINE SEQUENTIAL";
    case Organisation::Relative: return "RELATIVE";
    case Organisation::Indexed: return "INDEXED";
    case Organisation::Sequential: break;
  }
  return "SEQUENTIAL";
}

void appendSelect(const Description& d, std::string& out, std::vector<int>& origin) {
  int line = d.selectLine;
  appendClause(out, origin, "SELECT " + d.fileName + " ASSIGN TO DXG-ASSIGNED-NAME", line,
               "           ");
  appendClause(out, origin, std::string("ORGANIZATION IS ") + organisationWords(d.organisation), line);
  bool keyed = d.organisation == Organisation::Indexed || d.organisation == Organisation::Relative;
  appendClause(out, origin, keyed ? "ACCESS MODE IS DYNAMIC" : "ACCESS MODE IS SEQUENTIAL", line);
  if (d.organisation == Organisation::Indexed) {
    appendClause(out, origin, "RECORD KEY IS " + d.primaryKey.text, d.primaryKey.line);
    for (const Key& key : d.alternateKeys) {
      appendClause(out, origin, "ALTERNATE RECORD KEY IS " + key.text, key.line);
    }
  }
  if (d.organisation == Organisation::Relative) {
    appendClause(out, origin, "RELATIVE KEY IS DXG-RELATIVE-KEY", line);
  }
  appendClause(out, origin, "FILE STATUS IS DXG-FILE-STATUS.", line);
}

void appendFd(const Description& d, std::string& out, std::vector<int>& origin) {
  for (std::size_t i = static_cast<std::size_t>(d.fdLine) - 1; i < d.lines.size(); ++i) {
    out += d.lines[i] + "\n";
    origin.push_back(static_cast<int>(i) + 1);
  }
}

// A line of the program's own (origin 0: no line of the description).
void appendLine(std::string& out, std::vector<int>& origin, const std::string& line) {
  out += line + "\n";
  origin.push_back(0);
}

void appendLowValues(const Description& d, std::string& out, std::vector<int>& origin) {
  for (const Record& record : d.records) {
    if (record.name == "FILLER") continue;
    appendLine(out, origin, "                   MOVE LOW-VALUES TO " + record.name);
  }
}

void appendSizes(const Description& d, std::string& out, std::vector<int>& origin) {
  std::size_t position = 1;
  for (const Record& record : d.records) {
    if (record.name != "FILLER") {
      appendLine(out, origin,
                 "           MOVE FUNCTION BYTE-LENGTH(" + record.name + ") TO DXG-SIZE-TEXT");
      appendLine(out, origin, "           MOVE DXG-SIZE-TEXT TO DXG-RB-RECORD(" +
                                  std::to_string(position) + ":9)");
    }
    position += 9;
  }
}

// The file's shortest and longest record lengths, measured with every table at its fewest and
// then at its most entries.
void appendMeasure(const Description& d, std::string& out, std::vector<int>& origin) {
  for (bool longest : {false, true}) {
    for (const VaryingTable& table : d.tables) {
      appendLine(out, origin, "           MOVE " + std::to_string(longest ? table.maximum : table.minimum) +
                                  " TO " + table.object);
    }
    const char* target = longest ? "DXG-MAX-LENGTH" : "DXG-MIN-LENGTH";
    appendLine(out, origin, std::string("           MOVE ") + (longest ? "0" : "999999999") + " TO " + target);
    for (const Record& record : d.records) {
      if (record.name == "FILLER") continue;
      appendLine(out, origin, "           IF FUNCTION BYTE-LENGTH(" + record.name + ")" +
                                  (longest ? " > " : " < ") + target);
      appendLine(out, origin, "               MOVE FUNCTION BYTE-LENGTH(" + record.name + ")");
      appendLine(out, origin, std::string("                   TO ") + target);
      appendLine(out, origin, "           END-IF");
    }
    if (!longest && d.varyingMinimum > 0) {
      appendLine(out, origin, "           MOVE " + std::to_string(d.varyingMinimum) + " TO DXG-MIN-LENGTH");
    }
  }
}

}  // namespace

bool hasVaryingLength(const Description& d) {
  return d.organisation != Organisation::LineSequential && (!d.tables.empty() || !d.lengthItem.empty());
}

ProgramText makeProgramText(const Description& d, const std::string& name,
                            const std::string& descriptionName) {
  const bool indexed = d.organisation == Organisation::Indexed;
  std::map<std::string, bool> conditions = {
      {"INDEXED", indexed},
      {"RELATIVE", d.organisation == Organisation::Relative},
      {"SEQUENTIAL", d.organisation == Organisation::Sequential ||
                         d.organisation == Organisation::LineSequential},
      {"ALTERNATE", indexed && !d.alternateKeys.empty()},
      {"VARIABLE", hasVaryingLength(d)},
      {"FIXED-SEQUENTIAL", d.organisation == Organisation::Sequential && !hasVaryingLength(d)},
      {"TABLES", hasVaryingLength(d) && !d.tables.empty()},
      {"LENGTH-ITEM", hasVaryingLength(d) && !d.lengthItem.empty()},
      {"COPY-BY-LENGTH", hasVaryingLength(d) && !d.lengthItem.empty() && d.tables.empty()}};
  char companions[8];
  std::snprintf(companions, sizeof(companions), "%02zu", indexed ? d.alternateKeys.size() : 0);
  std::map<std::string, std::string> words = {
      {"%PROGRAM%", name},
      {"%DESCRIPTION%", descriptionName},
      {"%VERSION%", platform::kDunaxVersion},
      {"%COMPANIONS%", companions},
      {"%FILE%", d.fileName},
      {"%RECORD%", d.records.empty() ? std::string("FILLER") : d.records.front().name},
      {"%PRIMARY-KEY%", d.primaryKey.name},
      {"%ALTERNATE-KEY%", d.alternateKeys.empty() ? std::string() : d.alternateKeys.front().name},
      {"%LENGTH-ITEM%", d.lengthItem}};

  ProgramText program;
  std::vector<bool> kept;  // one entry per open block: whether its lines are kept
  std::string_view text = kAccessTemplate;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    start = end + 1;
    std::size_t mark = line.find("*>?");
    if (mark != std::string::npos) {
      std::string word = line.substr(mark + 3);
      if (word == "END") {
        if (!kept.empty()) kept.pop_back();
      } else {
        bool negated = !word.empty() && word[0] == '!';
        bool holds = conditions[negated ? word.substr(1) : word];
        kept.push_back(negated ? !holds : holds);
      }
      continue;
    }
    bool keep = true;
    for (bool k : kept) keep = keep && k;
    if (!keep) continue;
    if (line == "%SELECT%") {
      appendSelect(d, program.source, program.origin);
    } else if (line == "%FD%") {
      appendFd(d, program.source, program.origin);
    } else if (line == "%LOW-VALUES%") {
      appendLowValues(d, program.source, program.origin);
    } else if (line == "%SIZES%") {
      appendSizes(d, program.source, program.origin);
    } else if (line == "%MEASURE%") {
      appendMeasure(d, program.source, program.origin);
    } else if (line == "%LENGTH-ITEM-DEFINITION%") {
      if (!d.lengthItem.empty() && !d.lengthItemDefined) {
        appendLine(program.source, program.origin, "       01  " + d.lengthItem + " PIC 9(9) COMP-5 VALUE 0.");
      }
    } else {
      for (const auto& [placeholder, value] : words) {
        for (std::size_t at = line.find(placeholder); at != std::string::npos;
             at = line.find(placeholder, at + value.size())) {
          line.replace(at, placeholder.size(), value);
        }
      }
      appendLine(program.source, program.origin, line);
    }
  }
  return program;
}

}  // namespace dunax::generator
