// What the picture decoders read game files from: the two game archives in a run,
// a plain in-memory map in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gvde {

class FileSource {
 public:
  virtual ~FileSource() = default;
  // The file's size (> 0) with `buffer` holding it; 0 when it is in no archive, its read
  // failed or it is empty; -1 when it is too large or no buffer of its size can be had.
  virtual std::int32_t ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name) = 0;
  // True when the file exists, is exactly `size` bytes long and was read into `destination`.
  virtual bool ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) = 0;
};

}  // namespace gvde
