// The classes of the file statuses a record-access program answers: every status its callers
// need to tell apart is mapped onto one class ("00" a record delivered or written, "10" the end
// of the data, ...). The converter and the manager's verify read a data file by the same table.
#pragma once

namespace dunax::layouts {

struct StatusPair {
  char first;
  char second;
  friend constexpr bool operator==(const StatusPair&, const StatusPair&) = default;
};

struct StatusClassRow {
  const char* statuses;  // pairs of characters, "9" followed by a byte value written as \x..
  StatusPair statusClass;
};

// The first row whose list holds the status decides its class.
inline constexpr StatusClassRow kDataStatusClasses[] = {
    {"00040507" "9\x12", {'0', '0'}},
    {"02", {'0', '2'}},
    {"104696", {'1', '0'}},
    {"2197", {'2', '1'}},
    {"22", {'2', '2'}},
    {"2343", {'2', '3'}},
    {"2434", {'2', '4'}},
    {"3530" "9\x09", {'3', '5'}},
    {"374247484990919295", {'3', '0'}},
    {"1439449498", {'9', '1'}},
    {"384193999A9D", {'9', '4'}},
};

// Returns the class of a data status; a status in no row of the table comes back unchanged.
constexpr StatusPair classOfDataStatus(StatusPair status) {
  for (const StatusClassRow& row : kDataStatusClasses) {
    for (const char* pair = row.statuses; pair[0] != '\0'; pair += 2) {
      if (status.first == pair[0] && status.second == pair[1]) return row.statusClass;
    }
  }
  return status;
}

// A read that delivered a record, and the end of the data, as a reader of a data file sees them.
constexpr bool deliveredRecord(StatusPair status) {
  return classOfDataStatus(status) == StatusPair{'0', '0'};
}
constexpr bool endOfData(StatusPair status) {
  const StatusPair statusClass = classOfDataStatus(status);
  return statusClass == StatusPair{'1', '0'} || statusClass == StatusPair{'2', '3'};
}

static_assert(deliveredRecord({'0', '4'}) && !deliveredRecord({'1', '0'}));
static_assert(endOfData({'4', '6'}) && endOfData({'4', '3'}) && !endOfData({'3', '5'}));
static_assert(classOfDataStatus({'9', '\x12'}) == StatusPair{'0', '0'});
static_assert(classOfDataStatus({'X', 'Y'}) == StatusPair{'X', 'Y'});

}  // namespace dunax::layouts
