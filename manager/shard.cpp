// Reading --shard K/N and taking the shard's names out of the list.
#include "manager/shard.h"

#include "manager/run_parameter.h"

namespace dunax::manager {
namespace {

// The most digits K and N may have (the list holds at most 99,999,999 files).
constexpr std::size_t kMostDigits = 8;

bool readCount(const std::string& text, unsigned long long* value) {
  if (text.empty() || text.size() > kMostDigits) return false;
  unsigned long long result = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<unsigned>(c - '0');
  }
  *value = result;
  return true;
}

}  // namespace

platform::Expected<Shard> parseShard(const std::string& text) {
  const std::string refused = "--shard takes K/N, this machine's share K of N (1 <= K <= N), not \"" +
                              text + "\"";
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return refusal(refused);
  Shard shard;
  if (!readCount(text.substr(0, slash), &shard.index) ||
      !readCount(text.substr(slash + 1), &shard.count) || shard.index == 0 ||
      shard.index > shard.count) {
    return refusal(refused);
  }
  return shard;
}

std::vector<std::string> namesOfShard(const std::vector<std::string>& names, Shard shard) {
  if (shard.count == 0) return names;
  std::vector<std::string> taken;
  for (std::size_t at = shard.index - 1; at < names.size(); at += shard.count) {
    taken.push_back(names[at]);
  }
  return taken;
}

}  // namespace dunax::manager
