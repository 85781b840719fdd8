#include <signal.h>

#include <cstddef>
#include <iterator>

#include "app/cli/held_signals.h"

namespace gvde {

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The ending signals whose bit is clear in `except`.
sigset_t EndingSet(unsigned except = 0) {
  sigset_t ending;
  sigemptyset(&ending);
  for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
    if ((except & (1u << i)) == 0) sigaddset(&ending, kEndingSignals[i]);
  }
  return ending;
}

}  // namespace

void EndingSignals::Hold() {
  if (held_) return;
  const sigset_t ending = EndingSet();
  sigset_t before;
  if (sigprocmask(SIG_BLOCK, &ending, &before) != 0) return;
  heldBefore_ = 0;
  for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
    if (sigismember(&before, kEndingSignals[i]) == 1) heldBefore_ |= 1u << i;
  }
  held_ = true;
}

// A held signal that the program ignores still waits, but letting it go does nothing.
bool EndingSignals::Pending() const {
  sigset_t waiting;
  if (!held_ || sigpending(&waiting) != 0) return false;
  for (const int signal : kEndingSignals) {
    struct sigaction action {};
    if (sigismember(&waiting, signal) == 1 && sigaction(signal, nullptr, &action) == 0 &&
        action.sa_handler != SIG_IGN) {
      return true;
    }
  }
  return false;
}

void EndingSignals::Release() {
  if (!held_) return;
  held_ = false;
  const sigset_t release = EndingSet(heldBefore_);
  sigprocmask(SIG_UNBLOCK, &release, nullptr);
}

}  // namespace gvde
