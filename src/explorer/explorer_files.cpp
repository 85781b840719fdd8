#include "explorer/explorer_files.h"

#include <string>

#include "explorer/explorer_assets.h"
#include "explorer/explorer_data.h"

namespace gvde {
namespace {

Step WriteData(const FinishedSite& site, const Configuration& configuration) {
  // The explorer shows no origin of its data.
  const DocumentOrigin noOrigin;
  const DataSources sources{site.game,
                            configuration.effectNames,
                            configuration.aiTypeNames,
                            site.pictures,
                            noOrigin};
  return site.folder.WritePage(kExplorerDataName, [&](PageFile& file) {
    if (WriteExplorerData(sources, [&](std::string_view piece) { file << piece; })) return Step::Next();
    return Step::Fail(std::string(kNotEnoughMemory));
  });
}

Step WriteSource(std::string_view source, PageFile& file) {
  file << source;
  return Step::Next();
}

}  // namespace

Step WriteExplorer(const FinishedSite& site, const Configuration& configuration) {
  Step step = WriteData(site, configuration);
  if (step) {
    step = site.folder.WritePage(kExplorerScriptName,
                                 [](PageFile& file) { return WriteSource(ExplorerScriptSource(), file); });
  }
  if (step) {
    step = site.folder.WriteTopPage(kExplorerPageName,
                                    [](PageFile& file) { return WriteSource(ExplorerPageSource(), file); });
  }
  return step;
}

SiteAddition ExplorerAddition(const Configuration& configuration, Host& host) {
  return {[&configuration, &host](const FinishedSite& site) {
            host.ShowProgress("Explorer", 0, 0);
            return WriteExplorer(site, configuration);
          },
          std::string(kExplorerIndexLink)};
}

}  // namespace gvde
