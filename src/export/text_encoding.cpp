#include "export/text_encoding.h"

#include <array>
#include <cstdint>

namespace gvde {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// 0x80 to 0x9F; from 0xA0 on the code page agrees with Latin-1 (the byte is the code point).
constexpr std::array<char32_t, 32> kUpperControls = {
    0x20AC,       kReplacement, 0x201A, 0x0192, 0x201E, 0x2026,       0x2020, 0x2021,
    0x02C6,       0x2030,       0x0160, 0x2039, 0x0152, kReplacement, 0x017D, kReplacement,
    kReplacement, 0x2018,       0x2019, 0x201C, 0x201D, 0x2022,       0x2013, 0x2014,
    0x02DC,       0x2122,       0x0161, 0x203A, 0x0153, kReplacement, 0x017E, 0x0178};

char32_t CodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kUpperControls[byte - 0x80u];
  return byte;
}

void AppendUtf8(std::string& out, char32_t c) {
  const auto byte = [](char32_t value) { return static_cast<char>(static_cast<unsigned char>(value)); };
  if (c < 0x80) {
    out += byte(c);
  } else if (c < 0x800) {
    out += byte(0xC0 | (c >> 6));
    out += byte(0x80 | (c & 0x3F));
  } else {
    // Every code point of the table lies below U+10000.
    out += byte(0xE0 | (c >> 12));
    out += byte(0x80 | ((c >> 6) & 0x3F));
    out += byte(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) AppendUtf8(out, CodePoint(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace gvde
