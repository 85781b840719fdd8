#include "image/recent_files.h"

namespace gvde {

std::size_t RecentFiles::CostOf(const std::string& key, const Entry& entry) {
  constexpr std::size_t kBookkeeping = 96;  // list node, index node, control block
  return key.size() + (entry.bytes ? entry.bytes->size() : 0) + kBookkeeping;
}

std::optional<RecentFiles::Entry> RecentFiles::Find(const std::string& key) {
  const auto found = index_.find(key);
  if (found == index_.end()) return std::nullopt;
  order_.splice(order_.begin(), order_, found->second);
  return found->second->second;
}

void RecentFiles::Add(const std::string& key, Entry entry) {
  const std::size_t cost = CostOf(key, entry);
  if (cost > budget_ / 4 || index_.count(key) != 0) return;
  order_.emplace_front(key, std::move(entry));
  index_.emplace(key, order_.begin());
  bytes_ += cost;
  while (bytes_ > budget_) {
    const auto& [oldestKey, oldest] = order_.back();
    bytes_ -= CostOf(oldestKey, oldest);
    index_.erase(oldestKey);
    order_.pop_back();
  }
}

void RecentFiles::Clear() {
  index_.clear();
  order_.clear();
  bytes_ = 0;
}

}  // namespace gvde
