// Deterministic pseudo-random numbers: the same seed always gives the same sequence, so the
// same options give the same game and a failing damage test can be replayed.
#pragma once

#include <cstdint>

namespace gvde::demogame {

class Dice {
 public:
  explicit Dice(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : Next() % n; }
  std::int32_t Range(std::int32_t lo, std::int32_t hi) {
    return lo + static_cast<std::int32_t>(Below(static_cast<std::uint32_t>(hi - lo + 1)));
  }

 private:
  std::uint32_t state_;
};

}  // namespace gvde::demogame
