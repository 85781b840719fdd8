#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "app/cli/held_signals.h"

namespace gvde {

// The console's Ctrl-C is ignored meanwhile; Windows does not keep it for later.
void EndingSignals::Hold() {
  if (!held_) held_ = SetConsoleCtrlHandler(nullptr, TRUE) != 0;
}

bool EndingSignals::Pending() const { return false; }

void EndingSignals::Release() {
  if (held_) SetConsoleCtrlHandler(nullptr, FALSE);
  held_ = false;
}

}  // namespace gvde
