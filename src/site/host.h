// The person at the screen, as the run sees them. Each front end implements it.
#pragma once

#include <string>

namespace gvde {

class Host {
 public:
  virtual ~Host() = default;
  // An error box (caption "Error", error icon, OK). `detail` names the file and the system's
  // reason where known ("site/data/i0.htm: Is a directory"), or is empty; the window's boxes
  // show only the message.
  virtual void ShowError(const std::string& message, const std::string& detail) = 0;
  // A Yes/No question ending in ". Exit?"; true means Yes (stop the run).
  virtual bool AskExit(const std::string& question) = 0;
  // The "Done" information box.
  virtual void ShowDone() = 0;
};

}  // namespace gvde
