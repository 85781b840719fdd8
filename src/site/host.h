// The person at the screen, as the run sees them. Each front end implements it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gvde {

// What a run that said "Done" wrote into its output folder.
struct RunSummary {
  std::uint64_t files = 0;  // the files of the site, written whole
  std::uint64_t bytes = 0;  // their size in all
  std::string outputDir;    // as the run was given it
  std::uint32_t picturesNotMade = 0;  // monster and boss pictures that could not be made or written
};

class Host {
 public:
  virtual ~Host() = default;
  // An error box (caption "Error", error icon, OK). `detail` names the file and the system's
  // reason where known ("site/data/i0.htm: Is a directory"), or is empty; the window's boxes
  // show only the message.
  virtual void ShowError(const std::string& message, const std::string& detail) = 0;
  // A Yes/No question ending in ". Exit?"; true means Yes (stop the run). `detail` says why,
  // as ShowError's does, or is empty; the window's boxes show only the question.
  virtual bool AskExit(const std::string& question, const std::string& detail) = 0;
  // The "Done" information box.
  virtual void ShowDone() = 0;
  // Right after ShowDone: what the run wrote. Front ends that do not tell it ignore it.
  virtual void ShowSummary(const RunSummary& /*summary*/) {}
  // Something the run found doubtful and goes on with ("ItemTable at 4A1002 does not look like
  // the item table (0 of 165 names readable)"). Front ends without a place for it ignore it.
  virtual void ShowWarning(const std::string& /*message*/) {}
  // How far the run is: `done` of `total` records of a stage ("Monsters"), or a stage without
  // a count (total 0). Front ends without a progress display ignore it.
  virtual void ShowProgress(std::string_view /*stage*/, std::uint32_t /*done*/, std::uint32_t /*total*/) {}
};

}  // namespace gvde
