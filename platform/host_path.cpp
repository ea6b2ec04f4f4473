// The portable half of request names: the mapping variables read, the locale's code set, and
// the name's text between the records' Windows-1252 and the host's encoding.
#include "platform/host_path.h"


#include "platform/process.h"
#include "platform/text_encoding.h"

namespace dunax::platform {

namespace {

std::string_view variableOrEmpty(const char* name) {
  const char* value = environmentValue(name);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

}  // namespace

Expected<std::string> hostPathOf(std::string_view name) {
  return mapRequestNameHere(name, variableOrEmpty(kDrivesVariable),
                            variableOrEmpty(kNetworkRootVariable));
}

NameEncoding nameEncodingOfLocale(std::string_view locale) {
  std::size_t dot = locale.find('.');
  if (dot == std::string_view::npos) return NameEncoding::Utf8;
  std::string_view codeSet = locale.substr(dot + 1);
  codeSet = codeSet.substr(0, codeSet.find('@'));
  std::string plain;  // lower case, without "-" and "_"
  for (char c : codeSet) {
    if (c == '-' || c == '_') continue;
    plain += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  static constexpr std::string_view kSingleByteCodeSets[] = {
      "iso88591", "iso885915", "latin1", "latin9", "cp1252", "windows1252", "88591", "885915"};
  for (std::string_view singleByte : kSingleByteCodeSets) {
    if (plain == singleByte) return NameEncoding::SameBytes;
  }
  return NameEncoding::Utf8;
}

Expected<std::string> hostNameFromRecord(std::string_view recordName, NameEncoding encoding,
                                         std::string_view drives, std::string_view networkRoot) {
  Expected<std::string> text = hostTextFromRecord(recordName, encoding);
  if (!text) return text;
  return mapRequestName(*text, drives, networkRoot);
}

Expected<std::string> hostNameFromRecord(std::string_view recordName) {
  Expected<std::string> text = hostTextFromRecord(recordName);
  if (!text) return text;
  return hostPathOf(*text);
}

Expected<std::string> recordNameFromHost(std::string_view hostName, NameEncoding encoding) {
  if (encoding == NameEncoding::SameBytes) return std::string(hostName);
  return windows1252NameFromUtf8(hostName);
}

Expected<std::string> recordNameFromHost(std::string_view hostName) {
  return recordNameFromHost(hostName, hostNameEncoding());
}

Expected<std::string> hostTextFromRecord(std::string_view text, NameEncoding encoding) {
  if (encoding == NameEncoding::SameBytes) return std::string(text);
  return utf8NameFromWindows1252(text);
}

Expected<std::string> hostTextFromRecord(std::string_view text) {
  return hostTextFromRecord(text, hostNameEncoding());
}

}  // namespace dunax::platform
