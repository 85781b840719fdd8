#include "command_line/nearest_name.h"

#include <algorithm>
#include <cstddef>

namespace gvde {
namespace {

// Edits from `a` to `b`, counting a swap of two neighbouring letters as one.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string_view> NearestName(std::string_view typed,
                                            const std::vector<std::string_view>& names) {
  if (typed.empty()) return std::nullopt;
  const auto begins = [typed](std::string_view name) { return name.starts_with(typed); };
  if (std::count_if(names.begin(), names.end(), begins) == 1)
    return *std::find_if(names.begin(), names.end(), begins);
  std::optional<std::string_view> nearest;
  std::size_t fewest = 3;
  for (const std::string_view name : names) {
    const std::size_t edits = EditDistance(typed, name);
    if (edits < fewest && edits * 3 <= typed.size()) {
      nearest = name;
      fewest = edits;
    }
  }
  return nearest;
}

}  // namespace gvde
