// A limit on what OutputFile writes in all while it is in force: damaged game tables can make a
// run write without end, and a real site is a few MiB. Counted over every thread; OutputFile
// charges each file as its size, and as at least kLeastPerFile.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace gvde {

class OutputLimit {
 public:
  // In force from construction to destruction; a limit made while another is in force replaces
  // it until the newer one ends.
  explicit OutputLimit(std::uint64_t maxBytes);
  ~OutputLimit();
  OutputLimit(const OutputLimit&) = delete;
  OutputLimit& operator=(const OutputLimit&) = delete;

  // Every file counts as at least this many bytes, so that very many small files reach the
  // limit too: each takes a block on disk and an entry in its folder.
  static constexpr std::uint64_t kLeastPerFile = 4096;

  // True once a write was refused.
  bool Reached() const { return reached_.load(); }

  // Counts `bytes` against the limit in force; false (and nothing counted) when they do not fit
  // or an earlier write was refused.
  // Without a limit in force every write fits.
  static bool Charge(std::size_t bytes);
  // Counts a whole file of `size` bytes as OutputFile would: its size, and at least
  // kLeastPerFile. For files written with WriteChargedFile.
  static bool ChargeFile(std::size_t size) { return Charge(size < kLeastPerFile ? kLeastPerFile : size); }

  // What was written whole while the limit was in force: files and their exact bytes.
  struct Tally {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
  };
  Tally Written() const { return {files_.load(), bytes_.load()}; }
  // Counts a file of `bytes` bytes written whole (OutputFile, at its close) for the limit in
  // force.
  static void CountFile(std::uint64_t bytes);

 private:
  bool Take(std::size_t bytes);

  const std::uint64_t maxBytes_;
  std::atomic<std::uint64_t> written_{0};
  std::atomic<bool> reached_{false};
  std::atomic<std::uint64_t> files_{0};
  std::atomic<std::uint64_t> bytes_{0};
  OutputLimit* previous_;
};

}  // namespace gvde
