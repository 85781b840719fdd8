// Shared pieces of the fuzz targets: a scratch directory per process and a reader that
// splits one input into fields (zeros once the input is used up).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "image/file_source.h"
#include "image/png_writer.h"

namespace gvde::fuzz {

// A fresh directory for this process (no trailing separator), removed at exit.
const std::string& ScratchDir();

// One PNG writer per process, holding the demo palette.
PngWriter& Writer();

// Writes the bytes to `path`, replacing the file; false on failure.
bool WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes);

class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  // Up to `count` bytes; fewer when the input ends first.
  std::span<const std::uint8_t> Bytes(std::size_t count);
  // Everything not read yet.
  std::span<const std::uint8_t> Rest();
  std::size_t Remaining() const { return size_ - position_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// Little-endian 32-bit word at `offset` of `bytes`; 0 when it does not lie wholly inside.
std::uint32_t WordAt(std::span<const std::uint8_t> bytes, std::size_t offset);

// Game files held in memory, as the picture decoders read them from the archives.
class MemoryFiles final : public FileSource {
 public:
  std::map<std::string, std::vector<std::uint8_t>> files;

  std::int32_t ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name) override;
  bool ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) override;
};

}  // namespace gvde::fuzz
