// Game text placed in a page: its bytes are kept, but & < > and " become entities, so that a
// name never turns into markup.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gvde {

// The entity for a byte that must not appear as it is, or empty for any other byte.
inline std::string_view HtmlEntity(char c) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    default: return {};
  }
}

// Gives `text` escaped to `write` in pieces: runs of plain bytes as they are, each special byte
// as its entity.
template <typename Write>
void WriteEscapedHtml(std::string_view text, Write&& write) {
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::string_view entity = HtmlEntity(text[at]);
    if (entity.empty()) continue;
    write(text.substr(start, at - start));
    write(entity);
    start = at + 1;
  }
  write(text.substr(start));
}

inline std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  WriteEscapedHtml(text, [&escaped](std::string_view piece) { escaped += piece; });
  return escaped;
}

}  // namespace gvde
