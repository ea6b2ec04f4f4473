// What dunaxgen reads from a data file's COBOL description: its SELECT entry and its FD with
// the record descriptions, taken apart enough to know the organisation, the keys and the
// records, and the FD's text kept as the operator wrote it.
#pragma once

#include <string>
#include <vector>

namespace dunax::generator {

enum class Organisation { Sequential, LineSequential, Relative, Indexed };

// One key of an indexed file as written: its name and, for a split key, what it is made of.
struct Key {
  std::string text;        // the clause's words after "IS", joined by spaces, as written
  std::string name;        // the key's name
  std::vector<std::string> parts;  // the fields a split key is made of; empty otherwise
  bool duplicates = false;
  int line = 0;
};

struct Record {
  std::string name;  // the 01 record's name
  int line = 0;
};

// A table whose number of entries a field holds: OCCURS minimum TO maximum DEPENDING ON object.
struct VaryingTable {
  std::string object;
  unsigned long minimum = 0;
  unsigned long maximum = 0;
  int line = 0;
};

struct Description {
  std::string fileName;  // the name in SELECT and FD
  Organisation organisation = Organisation::Sequential;
  int selectLine = 0;
  Key primaryKey;                // indexed only
  std::vector<Key> alternateKeys;
  std::vector<Record> records;
  bool variable = false;  // RECORD VARYING, RECORD CONTAINS m TO n or OCCURS DEPENDING ON
  std::vector<VaryingTable> tables;  // the records' OCCURS DEPENDING ON
  std::string lengthItem;            // RECORD VARYING ... DEPENDING ON this item; empty if none
  bool lengthItemDefined = false;    // whether the records define it (else the program does)
  unsigned long varyingMinimum = 0;  // RECORD VARYING FROM this (or CONTAINS this TO); 0 if none
  int fdLine = 0;         // the line where the FD begins (the FD text is copied from there)
  std::vector<std::string> lines;  // the description's lines, as read
};

// Reads a description from its text (lines as in the file; fixed reference format, or free
// format when freeFormat). Returns the problems found, one line each ("line N: what to fix"),
// empty when the description can be used; description is filled as far as it could be read.
std::vector<std::string> readDescription(const std::string& text, bool freeFormat,
                                         Description& description);

// True when name can name a program the converter calls: 1 to 8 letters and digits,
// beginning with a letter.
bool isProgramName(const std::string& name);

}  // namespace dunax::generator
