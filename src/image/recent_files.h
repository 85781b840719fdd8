// What the picture decoders keep of files they read, so that a file several pictures share is
// read from the archives once: the most recently used entries, up to a byte budget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace gvde {

class RecentFiles {
 public:
  struct Entry {
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;  // may be null: "nothing usable"
    std::uint64_t number = 0;                                // what the owner derived from it
  };

  explicit RecentFiles(std::size_t budget) : budget_(budget) {}

  // The entry kept under `key`, now the most recently used; nullopt when there is none.
  std::optional<Entry> Find(const std::string& key);
  // Keeps `entry` under `key`, dropping the least recently used entries beyond the budget. An
  // entry larger than a quarter of the budget is not kept.
  void Add(const std::string& key, Entry entry);
  void Clear();

 private:
  using Order = std::list<std::pair<std::string, Entry>>;
  static std::size_t CostOf(const std::string& key, const Entry& entry);

  std::size_t budget_;
  std::size_t bytes_ = 0;
  Order order_;  // most recently used first
  std::unordered_map<std::string, Order::iterator> index_;
};

}  // namespace gvde
