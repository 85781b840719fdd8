#include "game/readable_text.h"

namespace gvde {
namespace {

bool IsControl(std::uint8_t c) { return c < 0x20 || c == 0x7F; }
bool IsAsciiLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsReadableText(std::string_view text) {
  if (text.empty() || text.size() > kMaxReadableText) return false;
  bool letter = false;
  for (const char ch : text) {
    const auto c = static_cast<std::uint8_t>(ch);
    if (IsControl(c)) return false;
    letter = letter || IsAsciiLetter(c);
  }
  return letter;
}

ReadableTextMap::ReadableTextMap(const ByteReader& bytes) : readable_(bytes.Size(), 0) {
  // What is known of the text that starts one byte further on: its length (saturating past the
  // limit), whether it is free of control bytes and whether it holds a letter. Past the end of
  // the file there is no zero byte, so nothing there ends a text.
  std::size_t length = 0;
  bool clean = false;
  bool letter = false;
  for (std::size_t i = bytes.Size(); i-- > 0;) {
    const std::uint8_t c = bytes.U8(i);
    if (c == 0) {
      length = 0;
      clean = true;
      letter = false;
      continue;
    }
    if (length <= kMaxReadableText) ++length;
    clean = clean && !IsControl(c);
    letter = letter || IsAsciiLetter(c);
    readable_[i] = clean && letter && length <= kMaxReadableText ? 1 : 0;
  }
}

}  // namespace gvde
