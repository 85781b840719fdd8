#include "export/record_objects.h"
#include "export/text_encoding.h"

namespace gvde {

Json RecordContext::Text(std::string_view text) { return Windows1252ToUtf8(text); }

Json OptionalText(const std::optional<std::string>& text) {
  return text ? RecordContext::Text(*text) : Json(nullptr);
}

Json RecordContext::PictureFile(std::string_view name) const {
  if (pictures.find(name) == pictures.end()) return nullptr;
  return std::string(name);
}

}  // namespace gvde
