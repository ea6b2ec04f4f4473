// Where a request's name lands on this host. On POSIX, drive letters ("C:\DADOS", "c:DADOS")
// and network paths ("\\server\share\rest", "//server/share/rest") name places the host does
// not have; they land under host directories that the operator maps (DUNAX_DRIVES,
// DUNAX_NETWORK_ROOT), and never outside them, and any other name is taken as it is, "\" read
// as "/". On Windows drives and network paths are the host's own and every name is taken as it
// is, "/" read as "\", except one that reaches a device instead of a file (a part named CON,
// NUL, COM1, LPT1 ..., with or without an extension; a "\\.\" or "\\?\" path; a ":" that
// does not follow a drive letter), which is refused. Names are Windows-1252 in the records and
// in the host's encoding at the OS (UTF-8 unless a POSIX locale names a single-byte code set):
// every name crosses between the two here, both ways.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace dunax::platform {

// The variable that maps drive letters: "C=/srv/c;D=/data", each entry a letter (either case),
// "=" and an absolute host directory, entries separated by ";". Entries of another shape are
// passed over; the first entry of a letter counts.
inline constexpr char kDrivesVariable[] = "DUNAX_DRIVES";

// The variable that maps network paths: an absolute host directory ROOT, under which
// \\server\share\rest lands as ROOT/server/share/rest.
inline constexpr char kNetworkRootVariable[] = "DUNAX_NETWORK_ROOT";

// Maps a request's name to a host path, given the values of the two variables (empty when
// unset; Windows reads neither: there a name is refused or kept, "/" made "\"). On POSIX,
// returns the host path:
// - a drive name: the drive's directory followed by the rest of the name, whether the rest
//   begins with a separator or not ("C:" alone is the drive's directory);
// - a network name: the network root, the server, the share, then the rest ("\\server" alone
//   is the server's directory under the root);
// - any other name: the name with every "\" made "/", relative to the current directory.
// In a drive or network name "." parts are dropped and ".." parts are taken back within the
// name, so the path never has them there. Fails (InvalidName, its words saying why) when the
// name is empty or holds a NUL, when its drive or the network has no mapping (or one that is not an absolute
// directory), when a network name lacks its server or names "." or ".." as server or share,
// and when a ".." would leave the drive's directory or the share.
Expected<std::string> mapRequestName(std::string_view name, std::string_view drives,
                                     std::string_view networkRoot);

// mapRequestName as the disk stands now, for a name about to be used. On POSIX, besides the
// mapping: when drives maps any drive, a name rooted at one separator ("\TOPO", "/TOPO") is
// taken on the mapped drive whose directory holds the current directory (the deepest when
// mappings nest), and refused when none does (with no drive mapped it is the host's root); a
// drive or network name must stay beneath its drive's directory or its share on disk: a
// symbolic link on the way that leads outside (absolute, or up past it) refuses it (openat2
// with RESOLVE_BENEATH; where the kernel lacks it, every link on the way is resolved and
// checked, and a dangling one is refused). Parts that do not exist yet are judged by the
// longest leading part that does. On Windows the same as mapRequestName.
// Returns the host path; fails (InvalidName) with words, a short English text that names no
// file (ASCII), saying what is wrong with the name.
Expected<std::string> mapRequestNameHere(std::string_view name, std::string_view drives,
                                         std::string_view networkRoot);

// mapRequestNameHere with the two variables as this process has them now.
Expected<std::string> hostPathOf(std::string_view name);

// How this host spells names: the UTF-8 form of a record's Windows-1252 name, or its very bytes.
enum class NameEncoding { Utf8, SameBytes };

// The name encoding a locale value gives ("pt_BR.UTF-8", "de_DE.ISO-8859-15@euro", "C", ""):
// the bytes are kept only when its code set is named and single-byte (ISO-8859-1, ISO-8859-15,
// CP1252 and their spellings); UTF-8 otherwise, an unknown or missing code set included, as
// services often run with no locale at all.
NameEncoding nameEncodingOfLocale(std::string_view locale);

// This process's name encoding: on POSIX that of the first non-empty of LC_ALL, LC_CTYPE and
// LANG; UTF-8 on Windows, whose wide names the platform makes from it.
NameEncoding hostNameEncoding();

// A name in the record's form (Windows-1252, "\" separators, maybe a drive or network name) in
// the host's form: its text in the host's encoding, then mapped as mapRequestName maps it.
// Fails (InvalidName, words saying why: a short English text that names no file) when
// mapRequestName refuses it or when, on a UTF-8 host, it holds a byte with no character in the
// code page.
Expected<std::string> hostNameFromRecord(std::string_view recordName, NameEncoding encoding,
                                         std::string_view drives, std::string_view networkRoot);

// hostNameFromRecord with this process's encoding and mappings, as mapRequestNameHere maps.
Expected<std::string> hostNameFromRecord(std::string_view recordName);

// A name the host gives (a directory entry, the current directory) in the record's form, for
// writing into a record; separators are kept. Fails (InvalidName) when, on a UTF-8 host, the
// name is not valid UTF-8 or holds a character with no Windows-1252 byte.
Expected<std::string> recordNameFromHost(std::string_view hostName, NameEncoding encoding);

// recordNameFromHost with this process's encoding.
Expected<std::string> recordNameFromHost(std::string_view hostName);

// A text of a record (Windows-1252), a name or a command line for the host's shell, in the
// host's encoding; nothing else changes. Fails (InvalidName) when, on a UTF-8 host, it holds a
// byte with no character in the code page.
Expected<std::string> hostTextFromRecord(std::string_view text, NameEncoding encoding);

// hostTextFromRecord with this process's encoding.
Expected<std::string> hostTextFromRecord(std::string_view text);

}  // namespace dunax::platform
