#include "app/cli/data_document_step.h"

#include <utility>

#include "app/cli/held_signals.h"
#include "export/data_document.h"

namespace gvde {

FinishingStep DataDocumentStep(std::string path, const Configuration& configuration, Host& host) {
  return [path = std::move(path), &configuration, &host](const FinishedSite& site) {
    host.ShowProgress("Data document", 0, 0);
    const DataSources sources{site.game, configuration.effectNames, configuration.aiTypeNames, site.pictures};
    if (WithEndingSignalsHeld([&] { return WriteDataDocument(path, sources); })) return Step::Next();
    return Step::Fail("Cannot write " + path);
  };
}

}  // namespace gvde
