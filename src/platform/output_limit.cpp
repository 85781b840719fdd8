#include "platform/output_limit.h"

namespace gvde {

namespace {

std::atomic<OutputLimit*> current{nullptr};

}  // namespace

OutputLimit::OutputLimit(std::uint64_t maxBytes) : maxBytes_(maxBytes), previous_(current.exchange(this)) {}

OutputLimit::~OutputLimit() { current.store(previous_); }

bool OutputLimit::Charge(std::size_t bytes) {
  OutputLimit* limit = current.load();
  return limit == nullptr || limit->Take(bytes);
}

void OutputLimit::CountFile(std::uint64_t bytes) {
  OutputLimit* limit = current.load();
  if (limit == nullptr) return;
  limit->files_.fetch_add(1);
  limit->bytes_.fetch_add(bytes);
}

// Once a write was refused, every later one is too: the run ends at the refused write anyway.
bool OutputLimit::Take(std::size_t bytes) {
  if (reached_.load()) return false;
  std::uint64_t written = written_.load();
  do {
    if (bytes > maxBytes_ - written) {
      reached_.store(true);
      return false;
    }
  } while (!written_.compare_exchange_weak(written, written + bytes));
  return true;
}

}  // namespace gvde
