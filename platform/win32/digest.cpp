// SHA-256 of files on Windows: BCrypt's SHA-256 over blocks read with ReadFile.
#include "platform/digest.h"

#include <windows.h>
#include <bcrypt.h>

#include <memory>

#include "platform/file_routines.h"
#include "platform/win32/native_name.h"

namespace dunax::platform {
namespace {

constexpr DWORD kBlockBytes = DWORD{1} << 20;

Status digestFailure(const char* step) {
  return Status::failure(StatusCode::Other, std::string("the SHA-256 digest failed at ") + step);
}

// The provider and the hash object of one digest, closed at the end.
struct Sha256 {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~Sha256() {
    if (hash != nullptr) BCryptDestroyHash(hash);
    if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};

Status addFile(BCRYPT_HASH_HANDLE hash, const std::string& name, unsigned char* block,
               std::uint64_t* bytes) {
  Expected<std::string> path = hostPathFrom(name);
  if (!path) return path.status();
  const Expected<std::wstring> wide = win32::nativeName(*path);
  if (!wide) return wide.status();
  HANDLE file = CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return win32::lastError();
  Status result;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, block, kBlockBytes, &got, nullptr)) {
      result = win32::lastError();
      break;
    }
    if (got == 0) break;
    if (BCryptHashData(hash, block, got, 0) != 0) {
      result = digestFailure("an update");
      break;
    }
    *bytes += got;
  }
  CloseHandle(file);
  return result;
}

}  // namespace

Expected<FilesDigest> digestFiles(const std::vector<std::string>& names) {
  Sha256 sha;
  if (BCryptOpenAlgorithmProvider(&sha.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0 ||
      BCryptCreateHash(sha.algorithm, &sha.hash, nullptr, 0, nullptr, 0, 0) != 0) {
    return digestFailure("its start");
  }
  const std::unique_ptr<unsigned char[]> block(new unsigned char[kBlockBytes]);
  FilesDigest digest;
  for (const std::string& name : names) {
    if (Status added = addFile(sha.hash, name, block.get(), &digest.bytes); !added.ok()) {
      return added;
    }
  }
  unsigned char value[32];
  if (BCryptFinishHash(sha.hash, value, sizeof value, 0) != 0) return digestFailure("its end");
  static constexpr char kHex[] = "0123456789abcdef";
  for (unsigned char byte : value) {
    digest.sha256 += kHex[byte >> 4];
    digest.sha256 += kHex[byte & 0x0F];
  }
  return digest;
}

Expected<std::uint64_t> fileSize(std::string_view name) {
  Expected<std::string> path = hostPathFrom(name);
  if (!path) return path.status();
  const Expected<std::wstring> wide = win32::nativeName(*path);
  if (!wide) return wide.status();
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) {
    return win32::lastError();
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace dunax::platform
