// One machine's share of a list of data files: --shard K/N takes the files K, K+N, K+2N ...
// (counting from 1), so that N machines given one list convert every file exactly once.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"

namespace dunax::manager {

struct Shard {
  unsigned long long index = 0;  // K, from 1
  unsigned long long count = 0;  // N; 0 when no shard was asked for
};

// Reads "K/N". Returns the shard; InvalidName, saying what is wrong, unless K and N are decimal
// numbers with 1 <= K <= N.
platform::Expected<Shard> parseShard(const std::string& text);

// Returns the names of the shard, in their order; every name when shard.count is 0.
std::vector<std::string> namesOfShard(const std::vector<std::string>& names, Shard shard);

}  // namespace dunax::manager
