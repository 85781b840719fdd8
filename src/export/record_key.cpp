#include "export/record_key.h"

namespace gvde {

std::string RecordKeys::Next(std::string_view name) {
  const std::uint32_t occurrence = ++seen_[std::string(name)];
  std::string key;
  key.reserve(name.size() + 12);
  key += letter_;
  key += ':';
  key += name;
  key += '#';
  key += std::to_string(occurrence);
  return key;
}

}  // namespace gvde
