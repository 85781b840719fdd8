// gvde-cli --explorer: a page beside index.htm that searches the records by name and shows
// each category as a table to sort and filter. It works opened from disk: its script and its
// data are script files under data/, whose names no page or picture of the site can have.
#pragma once

#include <string_view>

#include "site/extraction_run.h"
#include "site/host.h"
#include "site/run_config.h"

namespace gvde {

inline constexpr std::string_view kExplorerPageName = "explorer.htm";
inline constexpr std::string_view kExplorerScriptName = "explorer.js";
inline constexpr std::string_view kExplorerDataName = "explorer-data.js";
// What index.htm gains after its six category links.
inline constexpr std::string_view kExplorerIndexLink = "<br><a href=\"explorer.htm\">Explorer</a>";

// Writes data/explorer-data.js, data/explorer.js and then explorer.htm, so that the page exists
// only once what it loads does. A file that cannot be written fails with "Cannot write to
// file" and its reason, data that cannot be made with "Not enough memory".
Step WriteExplorer(const FinishedSite& site, const Configuration& configuration);

// The explorer as an addition to a run: written before index.htm, which then links to it.
// `configuration` and `host` must outlive the run.
SiteAddition ExplorerAddition(const Configuration& configuration, Host& host);

}  // namespace gvde
