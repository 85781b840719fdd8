#include "app/cli/data_document_step.h"

#include <utility>

#include "export/csv_tables.h"
#include "export/data_document.h"
#include "export/replacing_file.h"
#include "platform/file_error.h"
#include "platform/file_system.h"

namespace gvde {

namespace {

// The CSV folder is made when missing (its parent must exist); files in it are replaced.
std::string CsvFolder(const std::string& dir) {
  if (!IsDirectory(dir)) MakeDirectory(dir);
  return dir.ends_with(PathSeparator()) ? dir : dir + PathSeparator();
}

// The tables come first, so that a document written into standard output or a pipe, where
// nothing waits to be renamed, is written only once they are.
bool WriteOutputs(ReplacingFiles& files, const DataOutputs& outputs, const DataSources& sources) {
  if (!outputs.csvDir.empty() && !AddCsvTables(files, CsvFolder(outputs.csvDir), sources)) return false;
  return outputs.jsonFile.empty() || AddDataDocument(files, outputs.jsonFile, sources);
}

}  // namespace

FinishingStep DataOutputsStep(DataOutputs outputs, const Configuration& configuration, Host& host,
                              EndingSignals& signals) {
  return [outputs = std::move(outputs), &configuration, &host, &signals](const FinishedSite& site) {
    host.ShowProgress("Data document", 0, 0);
    ClearFileError();
    const OriginResult origin =
        DescribeRunSources(GVDE_VERSION, outputs.gameDir, outputs.configDir, configuration.addresses);
    if (!origin.origin) return Step::Fail("Cannot read " + origin.failedPath, DescribeFileError(origin.failedPath));
    const DataSources sources{site.game,
                              configuration.effectNames,
                              configuration.aiTypeNames,
                              site.pictures,
                              *origin.origin};
    signals.Hold();
    ReplacingFiles files;
    if (WriteOutputs(files, outputs, sources) && files.Commit([&signals] { return signals.Pending(); })) {
      return Step::Next();
    }
    if (files.Interrupted()) return Step::Stop();
    const std::string failed = files.FailedPath().empty() ? (outputs.jsonFile.empty() ? outputs.csvDir : outputs.jsonFile)
                                                          : files.FailedPath();
    return Step::Fail("Cannot write " + failed, files.FailureDetail());
  };
}

}  // namespace gvde
