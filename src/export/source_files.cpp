#include "export/source_files.h"

#include <openssl/evp.h>

#include <array>
#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace gvde {

namespace {

// Large enough that an archive of hundreds of MiB takes a few hundred reads.
constexpr std::size_t kPieceSize = std::size_t{1} << 20;

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

std::string Hex(const unsigned char* bytes, unsigned int count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(count * 2u);
  for (unsigned int i = 0; i < count; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

}  // namespace

std::optional<SourceFile> DescribeSourceFile(const std::string& name, const std::string& path) {
  InputFile file;
  if (!file.Open(path)) return std::nullopt;
  const DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return std::nullopt;
  std::vector<std::uint8_t> piece(kPieceSize);
  const std::uint64_t size = file.Size();
  for (std::uint64_t offset = 0; offset < size;) {
    const std::size_t count = size - offset < kPieceSize ? static_cast<std::size_t>(size - offset) : kPieceSize;
    if (!file.ReadAt(offset, piece.data(), count)) return std::nullopt;
    if (EVP_DigestUpdate(context.get(), piece.data(), count) != 1) return std::nullopt;
    offset += count;
  }
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1) return std::nullopt;
  return SourceFile{name, size, Hex(digest.data(), length)};
}

OriginResult DescribeRunSources(const std::string& programVersion, const std::string& gameDir,
                                const std::string& configDir, const TableAddresses& addresses) {
  struct Input {
    std::string_view name;
    const std::string& dir;
  };
  const Input inputs[] = {{"GV.exe", gameDir},          {"gvdata.mor", gameDir},   {"kelddat.mpq", gameDir},
                          {"Effect.ini", configDir},    {"AITypes.ini", configDir}, {"Address.ini", configDir}};
  DocumentOrigin origin{programVersion, {}, addresses};
  for (const Input& input : inputs) {
    const std::string path = input.dir + std::string(input.name);
    std::optional<SourceFile> file = DescribeSourceFile(std::string(input.name), path);
    if (!file) return {std::nullopt, path};
    origin.files.push_back(std::move(*file));
  }
  return {std::move(origin), {}};
}

}  // namespace gvde
