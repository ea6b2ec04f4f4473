// The portable half of the file routines: a request's name in the host's form.
#include "platform/file_routines.h"

namespace dunax::platform {

bool hostPathFrom(std::string_view name, std::string& host) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  host.assign(name);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return true;
}

}  // namespace dunax::platform
