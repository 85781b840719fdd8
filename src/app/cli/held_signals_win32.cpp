#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "app/cli/held_signals.h"

namespace gvde {

// The console's Ctrl-C is ignored meanwhile; Windows does not keep it for later.
bool WithEndingSignalsHeld(const std::function<bool()>& work) {
  const bool held = SetConsoleCtrlHandler(nullptr, TRUE) != 0;
  const bool result = work();
  if (held) SetConsoleCtrlHandler(nullptr, FALSE);
  return result;
}

}  // namespace gvde
