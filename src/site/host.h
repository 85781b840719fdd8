// The person at the screen, as the run sees them. Each front end implements it.
#pragma once

#include <string>

namespace gvde {

class Host {
 public:
  virtual ~Host() = default;
  // An error box (caption "Error", error icon, OK).
  virtual void ShowError(const std::string& message) = 0;
  // A Yes/No question ending in ". Exit?"; true means Yes (stop the run).
  virtual bool AskExit(const std::string& question) = 0;
  // The "Done" information box.
  virtual void ShowDone() = 0;
};

}  // namespace gvde
