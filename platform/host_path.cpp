// The portable half of request names: the mapping variables read, the locale's code set, and
// the name's text between the records' Windows-1252 and the host's encoding.
#include "platform/host_path.h"

#include <utility>

#include "platform/process.h"
#include "platform/text_encoding.h"

namespace dunax::platform {

namespace {

std::string_view variableOrEmpty(const char* name) {
  const char* value = environmentValue(name);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

}  // namespace

bool hostPathOf(std::string_view name, std::string& host) {
  std::string why;
  return mapRequestNameHere(name, variableOrEmpty(kDrivesVariable),
                            variableOrEmpty(kNetworkRootVariable), host, why);
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

bool hostNameFromRecord(std::string_view recordName, NameEncoding encoding,
                        std::string_view drives, std::string_view networkRoot, std::string& host) {
  std::string text;
  if (!hostTextFromRecord(recordName, encoding, text)) return false;
  return mapRequestName(text, drives, networkRoot, host);
}

bool hostNameFromRecord(std::string_view recordName, std::string& host) {
  std::string why;
  return hostNameFromRecord(recordName, host, why);
}

bool hostNameFromRecord(std::string_view recordName, std::string& host, std::string& why) {
  std::string text;
  if (!hostTextFromRecord(recordName, hostNameEncoding(), text)) {
    why = "it holds a byte with no character in Windows-1252";
    return false;
  }
  return mapRequestNameHere(text, variableOrEmpty(kDrivesVariable),
                            variableOrEmpty(kNetworkRootVariable), host, why);
}

bool recordNameFromHost(std::string_view hostName, NameEncoding encoding, std::string& record) {
  if (encoding == NameEncoding::SameBytes) {
    record.assign(hostName);
    return true;
  }
  return windows1252NameFromUtf8(hostName, record);
}

bool recordNameFromHost(std::string_view hostName, std::string& record) {
  return recordNameFromHost(hostName, hostNameEncoding(), record);
}

bool hostTextFromRecord(std::string_view text, NameEncoding encoding, std::string& host) {
  if (encoding == NameEncoding::SameBytes) {
    host.assign(text);
    return true;
  }
  std::string converted;
  if (!utf8NameFromWindows1252(text, converted)) return false;
  host = std::move(converted);
  return true;
}

bool hostTextFromRecord(std::string_view text, std::string& host) {
  return hostTextFromRecord(text, hostNameEncoding(), host);
}

}  // namespace dunax::platform
