#include "app/name_list_warnings.h"

#include "ini/ini_to_read.h"

namespace gvde {
namespace {

// Length of the UTF-8 sequence that `lead` starts, 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The first line (from 1) with a byte outside ASCII.
std::size_t FirstLineBeyondAscii(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    for (const char c : lines[n]) {
      if (static_cast<unsigned char>(c) >= 0x80) return n + 1;
    }
  }
  return 0;
}

}  // namespace

bool IsUtf8BeyondAscii(std::string_view text) {
  bool beyond = false;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if (!IsContinuation(static_cast<unsigned char>(text[i + k]))) return false;
    }
    beyond = true;
    i += length;
  }
  return beyond;
}

void AppendNameListWarnings(const std::string& path, std::string_view text, std::size_t names,
                            std::string_view what, std::vector<std::string>& warnings) {
  const std::size_t lines = SplitLines(text).size();
  if (lines < names) {
    const std::string w(what);
    const std::string missing = lines + 1 == names
                                    ? w + " " + std::to_string(lines) + " gets an empty name, which shows"
                                    : w + "s " + std::to_string(lines) + " to " + std::to_string(names - 1) +
                                          " get empty names, which show";
    warnings.push_back(path + " has " + std::to_string(lines) + (lines == 1 ? " line" : " lines") + " for " +
                       std::to_string(names) + " " + w +
                       "s: " + missing + " as nothing on the pages");
  }
  if (IsUtf8BeyondAscii(text)) {
    warnings.push_back(path + " is saved as UTF-8 (line " + std::to_string(FirstLineBeyondAscii(text)) +
                       " has letters outside ASCII), but the game's texts are Windows-1252: those letters show "
                       "wrongly on the pages; save it as Windows-1252");
  }
}

}  // namespace gvde
