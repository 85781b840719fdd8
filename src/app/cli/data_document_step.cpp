#include "app/cli/data_document_step.h"

#include <utility>

#include "app/cli/held_signals.h"
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

// False with `failed` set to the path that could not be written.
bool WriteOutputs(const DataOutputs& outputs, const DataSources& sources, std::string& failed) {
  ReplacingFiles files;
  bool written = outputs.jsonFile.empty() || AddDataDocument(files, outputs.jsonFile, sources);
  if (written && !outputs.csvDir.empty()) written = AddCsvTables(files, CsvFolder(outputs.csvDir), sources);
  if (written && files.Commit()) return true;
  failed = files.FailedPath().empty() ? (outputs.jsonFile.empty() ? outputs.csvDir : outputs.jsonFile)
                                      : files.FailedPath();
  return false;
}

}  // namespace

FinishingStep DataOutputsStep(DataOutputs outputs, const Configuration& configuration, Host& host) {
  return [outputs = std::move(outputs), &configuration, &host](const FinishedSite& site) {
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
    std::string failed;
    if (WithEndingSignalsHeld([&] { return WriteOutputs(outputs, sources, failed); })) return Step::Next();
    return Step::Fail("Cannot write " + failed);
  };
}

}  // namespace gvde
