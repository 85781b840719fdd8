// The archive library's calls made in this process: what the worker process runs, and what a
// program without a worker process uses. Defined in game_archives.cpp, the one file that
// includes the library's header.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/archive_calls.h"

namespace gvde {

class StormArchives final : public ArchiveCalls {
 public:
  StormArchives() = default;
  StormArchives(const StormArchives&) = delete;
  StormArchives& operator=(const StormArchives&) = delete;
  ~StormArchives() override;  // closes the game archive, then the base archive

  bool OpenArchive(ArchiveSlot slot, const std::string& nativePath) override;
  ExtractOutcome ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& buffer) override;
  bool ReadExactFile(const std::string& name, std::uint32_t size, std::uint8_t* destination) override;

  // As ReadExactFile, reading into the memory that `destinationFor` gives once the size is
  // known to match; a null destination fails the read.
  bool ReadExactFileInto(const std::string& name, std::uint32_t size,
                         const std::function<std::uint8_t*()>& destinationFor);

 private:
  void* archives_[2] = {nullptr, nullptr};  // indexed by ArchiveSlot
};

}  // namespace gvde
