// Runs a piece of work with the signals that end the program (Ctrl-C, a closed terminal, kill)
// held back, so that a file being written and renamed into place is either whole or gone when
// the program ends. A signal that arrives meanwhile takes effect afterwards.
#pragma once

#include <functional>

namespace gvde {

// Returns what `work` returns.
bool WithEndingSignalsHeld(const std::function<bool()>& work);

}  // namespace gvde
