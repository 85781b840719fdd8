// Whether bytes of GV.exe read as a name a person could read, asked of single texts and, for
// the table finder, of every byte offset of the file at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/byte_reader.h"

namespace gvde {

// Game names are short; a longer text is taken for other data.
constexpr std::size_t kMaxReadableText = 200;

// 1 to kMaxReadableText bytes, none of them a control character (below 0x20, or 0x7F), at
// least one an ASCII letter. Bytes from 0x80 are letters and signs of the game's code page.
bool IsReadableText(std::string_view text);

// For every byte offset of a file: does a readable text ended by a zero byte start there?
// Made in one pass from the end of the file; a text that reaches the end of the file without a
// zero byte is not readable.
class ReadableTextMap {
 public:
  explicit ReadableTextMap(const ByteReader& bytes);
  bool At(std::uint64_t offset) const { return offset < readable_.size() && readable_[offset] != 0; }

 private:
  std::vector<std::uint8_t> readable_;  // a byte per offset: faster to fill and ask than bits
};

}  // namespace gvde
