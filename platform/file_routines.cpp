// The portable half of the file routines: a request's name in the host's form.
#include "platform/file_routines.h"

namespace dunax::platform {

Expected<std::string> hostPathFrom(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) {
    return Status::failure(StatusCode::InvalidName);
  }
  std::string host(name);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return host;
}

}  // namespace dunax::platform
