// The person at the screen, as the run sees them. Each front end implements it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gvde {

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
  // Something the run found doubtful and goes on with ("ItemTable at 4A1002 does not look like
  // the item table (0 of 165 names readable)"). Front ends without a place for it ignore it.
  virtual void ShowWarning(const std::string& /*message*/) {}
  // How far the run is: `done` of `total` records of a stage ("Monsters"), or a stage without
  // a count (total 0). Front ends without a progress display ignore it.
  virtual void ShowProgress(std::string_view /*stage*/, std::uint32_t /*done*/, std::uint32_t /*total*/) {}
};

}  // namespace gvde
