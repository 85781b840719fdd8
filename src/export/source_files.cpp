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

namespace {

// The inputs as the document names them, and in which folder each lies.
struct RunInput {
  std::string_view name;
  bool inGameDir;
};
constexpr RunInput kRunInputs[] = {{"GV.exe", true},      {"gvdata.mor", true},   {"kelddat.mpq", true},
                                   {"Effect.ini", false}, {"AITypes.ini", false}, {"Address.ini", false}};

}  // namespace

std::vector<std::string> RunInputPaths(const std::string& gameDir, const std::string& configDir) {
  std::vector<std::string> paths;
  for (const RunInput& input : kRunInputs) paths.push_back((input.inGameDir ? gameDir : configDir) + std::string(input.name));
  return paths;
}

OriginResult DescribeRunSources(const std::string& programVersion, const std::string& gameDir,
                                const std::string& configDir, const TableAddresses& addresses) {
  const std::vector<std::string> paths = RunInputPaths(gameDir, configDir);
  DocumentOrigin origin{programVersion, {}, addresses};
  for (std::size_t i = 0; i < paths.size(); ++i) {
    std::optional<SourceFile> file = DescribeSourceFile(std::string(kRunInputs[i].name), paths[i]);
    if (!file) return {std::nullopt, paths[i]};
    origin.files.push_back(std::move(*file));
  }
  return {std::move(origin), {}};
}

}  // namespace gvde
