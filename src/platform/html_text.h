// Game text placed in a page: its bytes are kept, but & < > and " become entities, so that a
// name never turns into markup.
#pragma once

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

inline std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    const std::string_view entity = HtmlEntity(c);
    if (entity.empty()) {
      escaped += c;
    } else {
      escaped += entity;
    }
  }
  return escaped;
}

}  // namespace gvde
