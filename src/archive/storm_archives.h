// The archive library's calls made in this process: what the worker process runs, and what a
// program without a worker process uses. Defined in game_archives.cpp, the one file that
// includes the library's header.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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

  OpenOutcome OpenArchives(const ArchivePath& game, const ArchivePath& base) override;
  ExtractOutcome ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& buffer) override;
  bool ReadExactFile(const std::string& name, std::uint32_t size, std::uint8_t* destination) override;

  // Opens the archive at `nativePath` into `slot`, without its list of file names or its
  // attributes: files are looked up by name only. The library's error code when it could not
  // be opened (a slot already taken among the reasons); nothing when it is open.
  std::optional<std::uint32_t> OpenArchive(ArchiveSlot slot, const std::string& nativePath);
  // As ReadExactFile, reading into the memory that `destinationFor` gives once the size is
  // known to match; a null destination fails the read.
  bool ReadExactFileInto(const std::string& name, std::uint32_t size,
                         const std::function<std::uint8_t*()>& destinationFor);

 private:
  void* archives_[2] = {nullptr, nullptr};  // indexed by ArchiveSlot
};

// Why the library could not open an archive, from its error code, for a detail line.
std::string DescribeLibraryError(std::uint32_t code);

}  // namespace gvde
