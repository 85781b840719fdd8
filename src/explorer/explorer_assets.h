// The explorer's page and script, committed as src/explorer/explorer.htm and explorer.js and
// turned into byte arrays at build time (cmake/embed_file.cmake), with line ends as "\n".
#pragma once

#include <string_view>

namespace gvde {

std::string_view ExplorerPageSource();
std::string_view ExplorerScriptSource();

}  // namespace gvde
