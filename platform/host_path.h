// Where a request's name lands on this host. Drive letters ("C:\DADOS", "c:DADOS") and network
// paths ("\\server\share\rest", "//server/share/rest") name places this host does not have; they
// land under host directories that the operator maps (DUNAX_DRIVES, DUNAX_NETWORK_ROOT), and
// never outside them. Any other name is taken as it is, "\" read as "/".
#pragma once

#include <string>
#include <string_view>

namespace dunax::platform {

// The variable that maps drive letters: "C=/srv/c;D=/data", each entry a letter (either case),
// "=" and an absolute host directory, entries separated by ";". Entries of another shape are
// passed over; the first entry of a letter counts.
inline constexpr char kDrivesVariable[] = "DUNAX_DRIVES";

// The variable that maps network paths: an absolute host directory ROOT, under which
// \\server\share\rest lands as ROOT/server/share/rest.
inline constexpr char kNetworkRootVariable[] = "DUNAX_NETWORK_ROOT";

// Maps a request's name to a host path, given the values of the two variables (empty when
// unset). Returns true and fills host:
// - a drive name: the drive's directory followed by the rest of the name, whether the rest
//   begins with a separator or not ("C:" alone is the drive's directory);
// - a network name: the network root, the server, the share, then the rest ("\\server" alone
//   is the server's directory under the root);
// - any other name: the name with every "\" made "/", relative to the current directory.
// In a drive or network name "." parts are dropped and ".." parts are taken back within the
// name, so host never has them there. Returns false (host untouched) when the name is empty or
// holds a NUL, when its drive or the network has no mapping (or one that is not an absolute
// directory), when a network name lacks its server or names "." or ".." as server or share,
// and when a ".." would leave the drive's directory or the share.
bool mapRequestName(std::string_view name, std::string_view drives, std::string_view networkRoot,
                    std::string& host);

// mapRequestName with the two variables as this process has them now.
bool hostPathOf(std::string_view name, std::string& host);

}  // namespace dunax::platform
