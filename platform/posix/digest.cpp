// SHA-256 of files on POSIX: OpenSSL's libcrypto (EVP) over blocks read with read(2).
#include "platform/digest.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/file_routines.h"

namespace dunax::platform {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

Status digestFailure(const char* step) {
  return Status::failure(StatusCode::Other, std::string("the SHA-256 digest failed at ") + step);
}

// Adds the bytes of one file to context.
Status addFile(EVP_MD_CTX* context, const std::string& name, unsigned char* block,
               std::uint64_t* bytes) {
  Expected<std::string> path = hostPathFrom(name);
  if (!path) return path.status();
  const int file = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return Status::fromNative(errno);
  Status result;
  for (;;) {
    const ssize_t got = ::read(file, block, kBlockBytes);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result = Status::fromNative(errno);
      break;
    }
    if (got == 0) break;
    if (EVP_DigestUpdate(context, block, static_cast<std::size_t>(got)) != 1) {
      result = digestFailure("an update");
      break;
    }
    *bytes += static_cast<std::uint64_t>(got);
  }
  ::close(file);
  return result;
}

}  // namespace

Expected<FilesDigest> digestFiles(const std::vector<std::string>& names) {
  const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
    return digestFailure("its start");
  }
  const std::unique_ptr<unsigned char[]> block(new unsigned char[kBlockBytes]);
  FilesDigest digest;
  for (const std::string& name : names) {
    if (Status added = addFile(context.get(), name, block.get(), &digest.bytes); !added.ok()) {
      return added;
    }
  }
  unsigned char value[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context.get(), value, &length) != 1) return digestFailure("its end");
  static constexpr char kHex[] = "0123456789abcdef";
  for (unsigned int i = 0; i < length; ++i) {
    digest.sha256 += kHex[value[i] >> 4];
    digest.sha256 += kHex[value[i] & 0x0F];
  }
  return digest;
}

Expected<std::uint64_t> fileSize(std::string_view name) {
  Expected<std::string> path = hostPathFrom(name);
  if (!path) return path.status();
  struct stat info {};
  if (::stat(path->c_str(), &info) != 0) return Status::fromNative(errno);
  return static_cast<std::uint64_t>(info.st_size);
}

}  // namespace dunax::platform
