// The status table: the first row whose list holds the status decides its class.
#include "converter/access/status_class.h"

namespace dunax::converter::access {
namespace {

struct StatusRow {
  const char* statuses;  // pairs of characters, "9" followed by a byte value written as \x..
  platform::FileStatus statusClass;
};

constexpr StatusRow kStatusTable[] = {
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

}  // namespace

platform::FileStatus classifyDataStatus(platform::FileStatus status) {
  for (const StatusRow& row : kStatusTable) {
    for (const char* pair = row.statuses; pair[0] != '\0'; pair += 2) {
      if (status.code[0] == pair[0] && status.code[1] == pair[1]) return row.statusClass;
    }
  }
  return status;
}

}  // namespace dunax::converter::access
