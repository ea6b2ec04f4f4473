// Reading a COBOL file description: its lines into words (fixed or free reference format,
// comments left out), then the SELECT entry, the FD entry and the names its records define.
#include "generator/description.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <set>
#include <string_view>

namespace dunax::generator {
namespace {

struct Token {
  std::string text;   // as written
  std::string upper;  // in upper case
  int line = 0;
  bool literal = false;
  bool isWord(std::string_view word) const { return !literal && upper == word; }
};

std::string upperOf(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The program text of one line: columns 8 to 72 in fixed format (nothing for a comment or
// debugging line), the whole line in free format; a floating comment "*>" ends it.
std::string codeOf(const std::string& line, bool freeFormat) {
  std::string code;
  if (freeFormat) {
    code = line;
  } else {
    if (line.size() < 7) return {};
    char indicator = line[6];
    if (indicator == '*' || indicator == '/' || indicator == 'D' || indicator == 'd') return {};
    code = line.substr(7, std::min<std::size_t>(65, line.size() - 7));
  }
  char quote = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (quote != 0) {
      if (code[i] == quote) quote = 0;
    } else if (code[i] == '"' || code[i] == '\'') {
      quote = code[i];
    } else if (code[i] == '*' && i + 1 < code.size() && code[i + 1] == '>') {
      code.resize(i);
      break;
    }
  }
  return code;
}

// Splits the code of every line into words, literals and the separator period ".".
std::vector<Token> tokensOf(const std::vector<std::string>& lines, bool freeFormat) {
  std::vector<Token> tokens;
  for (std::size_t number = 0; number < lines.size(); ++number) {
    std::string code = codeOf(lines[number], freeFormat);
    int line = static_cast<int>(number) + 1;
    std::size_t i = 0;
    while (i < code.size()) {
      char c = code[i];
      if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r') {
        ++i;
        continue;
      }
      std::size_t start = i;
      bool literal = false;
      while (i < code.size()) {
        char d = code[i];
        if (d == '"' || d == '\'') {
          literal = true;
          std::size_t close = code.find(d, i + 1);
          i = close == std::string::npos ? code.size() : close + 1;
          continue;
        }
        if (d == ' ' || d == '\t' || d == ',' || d == ';' || d == '\r') break;
        if (d == '.' && (i + 1 == code.size() || code[i + 1] == ' ' || code[i + 1] == '\t' ||
                         code[i + 1] == '\r')) {
          break;
        }
        ++i;
      }
      if (i > start) {
        std::string text = code.substr(start, i - start);
        tokens.push_back({text, upperOf(text), line, literal});
      }
      if (i < code.size() && code[i] == '.') {
        tokens.push_back({".", ".", line, false});
        ++i;
      }
    }
  }
  return tokens;
}

// A whole number of at most 9 digits (it fits the sizes and counts read from it).
bool isNumber(const Token& t) {
  return !t.literal && !t.text.empty() && t.text.size() <= 9 &&
         std::all_of(t.text.begin(), t.text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool isLevelNumber(const Token& token, int& level) {
  if (!isNumber(token) || token.text.size() > 2) return false;
  level = std::stoi(token.text);
  return (level >= 1 && level <= 49) || level == 66 || level == 77 || level == 88;
}

bool isCobolWord(const std::string& word) {
  if (word.empty() || word.size() > 31 || word.front() == '-' || word.back() == '-') return false;
  bool letter = false;
  for (char c : word) {
    if (std::isalpha(static_cast<unsigned char>(c))) letter = true;
    else if (!std::isdigit(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
  }
  return letter;
}

std::string at(int line) { return "line " + std::to_string(line) + ": "; }

// The words that begin a clause of a SELECT entry.
const std::set<std::string>& selectClauseWords() {
  static const std::set<std::string> words = {
      "ASSIGN",   "ORGANIZATION", "ORGANISATION", "ACCESS",  "RECORD",   "ALTERNATE",
      "FILE",     "STATUS",       "RELATIVE",     "LOCK",    "RESERVE",  "SHARING",
      "LINE",     "SEQUENTIAL",   "INDEXED",      "PADDING", "COLLATING"};
  return words;
}

class Reader {
 public:
  Reader(std::vector<Token> tokens, Description& description)
      : tokens_(std::move(tokens)), d_(description) {}

  std::vector<std::string> read() {
    std::size_t selectCount = 0;
    std::size_t fdCount = 0;
    for (const Token& t : tokens_) {
      if (t.isWord("SELECT") && ++selectCount == 2) {
        problem(t.line, "a second SELECT: the description must hold the SELECT and FD of one file");
      }
      if ((t.isWord("FD") || t.isWord("SD")) && ++fdCount == 2) {
        problem(t.line, "a second FD: the description must hold the SELECT and FD of one file");
      }
    }
    if (!problems_.empty()) return problems_;
    skipHeaders();
    if (atEnd() || !peek().isWord("SELECT")) {
      problem(atEnd() ? 1 : peek().line, "the description must begin with the file's SELECT entry");
      return problems_;
    }
    readSelect();
    if (!problems_.empty()) return problems_;
    skipHeaders();
    if (atEnd() || !(peek().isWord("FD") || peek().isWord("SD"))) {
      problem(atEnd() ? d_.selectLine : peek().line,
              "no FD entry after the SELECT: add the file's FD and its record description");
      return problems_;
    }
    if (peek().isWord("SD")) {
      problem(peek().line, "an SD describes a sort file, not a data file: use FD");
      return problems_;
    }
    readFd();
    if (problems_.empty()) checkKeys();
    return problems_;
  }

 private:
  bool atEnd() const { return position_ >= tokens_.size(); }
  const Token& peek(std::size_t ahead = 0) const {
    static const Token none{};
    return position_ + ahead < tokens_.size() ? tokens_[position_ + ahead] : none;
  }
  const Token& next() { return tokens_[position_++]; }
  bool take(std::string_view word) {
    if (!atEnd() && peek().isWord(word)) {
      ++position_;
      return true;
    }
    return false;
  }
  void problem(int line, const std::string& what) { problems_.push_back(at(line) + what); }

  // Leaves out the division, section and paragraph headers a copybook may carry.
  void skipHeaders() {
    while (!atEnd()) {
      const Token& t = peek();
      if (t.isWord(".") || t.isWord("FILE-CONTROL") || t.isWord("I-O-CONTROL") ||
          t.isWord("ENVIRONMENT") || t.isWord("DATA") || t.isWord("DIVISION") ||
          t.isWord("INPUT-OUTPUT") || t.isWord("SECTION") ||
          (t.isWord("FILE") && peek(1).isWord("SECTION"))) {
        ++position_;
      } else {
        break;
      }
    }
  }

  // Reads a key's words up to the next clause: NAME [= PART...| SOURCE [IS] PART...]
  // [WITH DUPLICATES].
  Key readKey(int line) {
    Key key;
    key.line = line;
    take("IS");
    if (atEnd() || peek().literal || peek().isWord(".")) {
      problem(line, "the key has no name");
      return key;
    }
    key.name = next().upper;
    key.text = key.name;
    bool split = false;
    if (take("=")) {
      split = true;
      key.text += " =";
    } else if (take("SOURCE")) {
      split = true;
      key.text += " SOURCE IS";
      take("IS");
    }
    while (split && !atEnd() && !peek().literal && !peek().isWord(".") &&
           !peek().isWord("WITH") && !peek().isWord("DUPLICATES") &&
           !selectClauseWords().count(peek().upper)) {
      key.parts.push_back(next().upper);
      key.text += " " + key.parts.back();
    }
    if (split && key.parts.empty()) problem(line, "the split key " + key.name + " names no field");
    take("WITH");
    if (take("DUPLICATES")) {
      key.duplicates = true;
      key.text += " WITH DUPLICATES";
    }
    return key;
  }

  // Skips the rest of a clause whose content dunaxgen does not need: the optional words it may
  // hold (in optional) and then up to operands names or literals.
  void skipClause(std::initializer_list<std::string_view> optional, int operands) {
    for (;;) {
      bool skipped = false;
      for (std::string_view word : optional) skipped = skipped || take(word);
      if (!skipped) break;
    }
    for (int i = 0; i < operands && !atEnd() && !peek().isWord(".") &&
                    (peek().literal || !selectClauseWords().count(peek().upper));
         ++i) {
      ++position_;
    }
  }

  void readSelect() {
    d_.selectLine = next().line;
    take("OPTIONAL");
    if (atEnd() || peek().literal || !isCobolWord(peek().text)) {
      problem(d_.selectLine, "SELECT must name the file");
      return;
    }
    d_.fileName = next().upper;
    bool primary = false;
    while (!atEnd() && !peek().isWord(".")) {
      const Token& t = next();
      if (t.isWord("ASSIGN")) {
        // The name the programs assign (the generated program assigns its own).
        skipClause({"TO", "USING", "DISK", "EXTERNAL", "DYNAMIC"}, 1);
      } else if (t.isWord("ORGANIZATION") || t.isWord("ORGANISATION") ||
                 t.isWord("SEQUENTIAL") || t.isWord("INDEXED") ||
                 (t.isWord("RELATIVE") && !peek().isWord("KEY")) ||
                 (t.isWord("LINE") && peek().isWord("SEQUENTIAL")) ||
                 (t.isWord("RECORD") && peek().isWord("SEQUENTIAL"))) {
        const Token* word = &t;
        if (t.isWord("ORGANIZATION") || t.isWord("ORGANISATION")) {
          take("IS");
          if (atEnd()) break;
          word = &next();
        }
        if (word->isWord("RECORD") || word->isWord("LINE")) {
          bool line = word->isWord("LINE");
          if (!take("SEQUENTIAL")) problem(word->line, "ORGANIZATION: write SEQUENTIAL after " + word->upper);
          d_.organisation = line ? Organisation::LineSequential : Organisation::Sequential;
        } else if (word->isWord("SEQUENTIAL")) {
          d_.organisation = Organisation::Sequential;
        } else if (word->isWord("RELATIVE")) {
          d_.organisation = Organisation::Relative;
        } else if (word->isWord("INDEXED")) {
          d_.organisation = Organisation::Indexed;
        } else {
          problem(word->line, "ORGANIZATION " + word->text +
                                  " is not understood: write SEQUENTIAL, LINE SEQUENTIAL, RELATIVE or INDEXED");
        }
      } else if (t.isWord("RECORD") && (peek().isWord("KEY") || peek().isWord("IS"))) {
        take("KEY");
        d_.primaryKey = readKey(t.line);
        primary = true;
      } else if (t.isWord("ALTERNATE")) {
        take("RECORD");
        if (!take("KEY")) {
          problem(t.line, "write ALTERNATE RECORD KEY IS name");
          return;
        }
        d_.alternateKeys.push_back(readKey(t.line));
      } else if (t.isWord("RELATIVE")) {  // the program has its own relative key
        skipClause({"KEY", "IS"}, 1);
      } else if (t.isWord("FILE") || t.isWord("STATUS")) {  // and its own file status
        skipClause({"STATUS", "IS"}, 2);
      } else if (t.isWord("ACCESS")) {  // the program opens the file as it needs
        skipClause({"MODE", "IS"}, 1);
      } else if (t.isWord("LOCK")) {
        skipClause({"MODE", "IS", "MANUAL", "AUTOMATIC", "EXCLUSIVE", "WITH", "LOCK", "ON",
                    "MULTIPLE", "RECORD", "RECORDS", "ROLLBACK"}, 0);
      } else if (t.isWord("RESERVE")) {
        skipClause({}, 1);
        skipClause({"AREA", "AREAS"}, 0);
      } else if (t.isWord("SHARING")) {
        skipClause({"WITH", "ALL", "NO", "OTHER", "READ", "ONLY"}, 0);
      } else if (t.isWord("PADDING") || t.isWord("COLLATING") ||
                 (t.isWord("RECORD") && peek().isWord("DELIMITER"))) {
        skipClause({"CHARACTER", "SEQUENCE", "DELIMITER", "IS"}, 1);
      } else {
        problem(t.line, "\"" + t.text + "\" is not understood in the SELECT entry");
        return;
      }
    }
    if (atEnd()) {
      problem(d_.selectLine, "the SELECT entry does not end with a period");
      return;
    }
    ++position_;  // the period
    if (d_.organisation == Organisation::Indexed && !primary) {
      problem(d_.selectLine, "an indexed file needs RECORD KEY IS name");
    }
    if (d_.organisation != Organisation::Indexed && (primary || !d_.alternateKeys.empty())) {
      problem(d_.selectLine, "RECORD KEY belongs to an indexed file: add ORGANIZATION IS INDEXED");
    }
  }

  void readFd() {
    d_.fdLine = next().line;
    if (atEnd() || peek().literal || peek().upper != d_.fileName) {
      problem(d_.fdLine, "the FD must describe " + d_.fileName + ", the file of the SELECT");
      return;
    }
    ++position_;
    while (!atEnd() && !peek().isWord(".")) {
      const Token& t = next();
      if (t.isWord("VARYING")) {
        d_.variable = true;
        take("IN");
        take("SIZE");
        take("FROM");
        if (isNumber(peek())) d_.varyingMinimum = std::stoul(next().text);
      }
      if (t.isWord("CONTAINS") && isNumber(peek()) && peek(1).isWord("TO")) {
        d_.variable = true;
        d_.varyingMinimum = std::stoul(next().text);
      }
      if (t.isWord("DEPENDING")) {
        take("ON");
        if (!atEnd() && !peek().literal && !peek().isWord(".")) d_.lengthItem = next().upper;
      }
    }
    if (atEnd()) {
      problem(d_.fdLine, "the FD entry does not end with a period");
      return;
    }
    ++position_;
    // The record descriptions: entries "level name ... ." up to the end.
    int level = 0;
    bool entryStart = true;
    while (!atEnd()) {
      const Token& t = next();
      if (t.isWord(".")) {
        entryStart = true;
        continue;
      }
      if (entryStart) {
        entryStart = false;
        if (t.isWord("COPY")) {
          copies_ = true;
          continue;
        }
        if (t.isWord("WORKING-STORAGE") || t.isWord("LINKAGE") || t.isWord("PROCEDURE") ||
            t.isWord("LOCAL-STORAGE") || t.isWord("SELECT")) {
          problem(t.line, "\"" + t.text + "\": the description must end with the FD's records");
          return;
        }
        if (!isLevelNumber(t, level)) {
          problem(t.line, "\"" + t.text + "\" is not a level number: a record description entry begins with one");
          return;
        }
        std::string name = !atEnd() && !peek().literal && !peek().isWord(".") ? peek().upper : "FILLER";
        if (name != "FILLER" && isCobolWord(name) && name != "REDEFINES") {
          fields_.insert(name);
          ++position_;
        }
        if (level == 1) d_.records.push_back({name, t.line});
        if (level == 77) {
          problem(t.line, "a level-77 item does not belong in an FD");
          return;
        }
        continue;
      }
      if (t.isWord("OCCURS")) readOccurs(t.line);
    }
    d_.lengthItemDefined = !d_.lengthItem.empty() && fields_.count(d_.lengthItem) > 0;
    if (d_.records.empty()) {
      problem(d_.fdLine, "the FD of " + d_.fileName + " has no record description: add an 01 record");
    } else if (d_.records.front().name == "FILLER") {
      problem(d_.records.front().line, "the first 01 record must have a name");
    }
  }

  // After OCCURS: [minimum TO] maximum [TIMES] [DEPENDING [ON] object]; a table of fixed
  // size is left alone.
  void readOccurs(int line) {
    if (!isNumber(peek())) return;
    VaryingTable table;
    table.line = line;
    table.maximum = std::stoul(next().text);
    if (take("TO")) {
      table.minimum = table.maximum;
      if (!isNumber(peek())) return;
      table.maximum = std::stoul(next().text);
    }
    take("TIMES");
    if (!take("DEPENDING")) return;
    take("ON");
    if (atEnd() || peek().literal || peek().isWord(".")) {
      problem(line, "OCCURS DEPENDING ON must name the field that holds the count");
      return;
    }
    table.object = next().upper;
    d_.variable = true;
    d_.tables.push_back(table);
  }

  void checkField(const std::string& name, int line, const std::string& what) {
    if (copies_ || fields_.count(name)) return;
    problem(line, what + " " + name + " names no field of the record description");
  }

  void checkKeys() {
    std::vector<const Key*> keys;
    if (d_.organisation == Organisation::Indexed) keys.push_back(&d_.primaryKey);
    for (const Key& key : d_.alternateKeys) keys.push_back(&key);
    for (const Key* key : keys) {
      if (key->parts.empty()) {
        checkField(key->name, key->line, "the key");
      } else {
        for (const std::string& part : key->parts) checkField(part, key->line, "the split key's part");
      }
    }
  }

  std::vector<Token> tokens_;
  std::size_t position_ = 0;
  Description& d_;
  std::vector<std::string> problems_;
  std::set<std::string> fields_;
  bool copies_ = false;
};

}  // namespace

std::vector<std::string> readDescription(const std::string& text, bool freeFormat,
                                         Description& description) {
  description = Description();
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (end < text.size() || !line.empty()) description.lines.push_back(line);
    start = end + 1;
  }
  Reader reader(tokensOf(description.lines, freeFormat), description);
  return reader.read();
}

bool isProgramName(const std::string& name) {
  return !name.empty() && name.size() <= 8 && std::isalpha(static_cast<unsigned char>(name[0])) &&
         std::all_of(name.begin(), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace dunax::generator
