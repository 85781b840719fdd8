#include <signal.h>

#include "app/cli/held_signals.h"

namespace gvde {

bool WithEndingSignalsHeld(const std::function<bool()>& work) {
  sigset_t ending;
  sigemptyset(&ending);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&ending, signal);
  sigset_t before;
  const bool held = sigprocmask(SIG_BLOCK, &ending, &before) == 0;
  const bool result = work();
  if (held) sigprocmask(SIG_SETMASK, &before, nullptr);
  return result;
}

}  // namespace gvde
