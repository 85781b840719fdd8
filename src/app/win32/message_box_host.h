// The run's boxes, owned by the main window so that it stays disabled while one is open.
#pragma once

#include <windows.h>

#include <string>

#include "site/host.h"

namespace gvde::win32 {

class MessageBoxHost final : public Host {
 public:
  explicit MessageBoxHost(HWND owner) : owner_(owner) {}

  // The boxes show the message or question alone.
  void ShowError(const std::string& message, const std::string& detail) override;
  bool AskExit(const std::string& question, const std::string& detail) override;
  void ShowDone() override;

 private:
  HWND owner_;
};

// A start-up failure: task-modal, no owner, caption "Error", error icon.
void ShowStartupError(const std::string& message);

}  // namespace gvde::win32
