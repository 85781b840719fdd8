// The name a mistyped one most likely meant, for "did you mean ...?".
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace gvde {

// The only name that begins with `typed`; else the first of the names fewest edits away (a
// letter added, dropped or changed, or two neighbours swapped), when those are at most 2 and
// at most a third of `typed`'s length. Nothing when no name is that close.
std::optional<std::string_view> NearestName(std::string_view typed,
                                            const std::vector<std::string_view>& names);

}  // namespace gvde
