// The signals that end the program (Ctrl-C, a closed terminal, kill), held back while files are
// written and renamed into place and until the run has said "Done", so that a file named on the
// command line is replaced only by a run that says "Done". A signal that arrives meanwhile waits
// and takes effect when they are let go.
#pragma once

namespace gvde {

class EndingSignals {
 public:
  EndingSignals() = default;
  EndingSignals(const EndingSignals&) = delete;
  EndingSignals& operator=(const EndingSignals&) = delete;
  ~EndingSignals() { Release(); }

  // Holds them back until Release; harmless when they are held already.
  void Hold();
  // True when one of them waits and will end the program once let go (one that the program
  // ignores does not count). Windows keeps none: always false there.
  bool Pending() const;
  // Lets them go: one that waits takes effect now.
  void Release();

 private:
  bool held_ = false;
  // Which of them were held back already before Hold, one bit each: they stay so.
  unsigned heldBefore_ = 0;
};

}  // namespace gvde
