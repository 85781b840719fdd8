// The explorer's data: a script that assigns every table of the explorer to one global
// variable, so that the page reads it opened from disk, where a browser fetches no file.
#pragma once

#include <functional>
#include <string_view>

#include "export/data_document.h"

namespace gvde {

// The global the script assigns, read by the explorer's own script.
inline constexpr std::string_view kExplorerDataVariable = "gvdeExplorerData";

// Gives the script to `sink` in pieces, a row at a time, so that a large game never has all of
// it in memory. Only ASCII: texts are UTF-8 written as \u escapes. The same sources always
// give the same bytes. False when it cannot be made (no memory).
bool WriteExplorerData(const DataSources& sources, const std::function<void(std::string_view)>& sink);

}  // namespace gvde
