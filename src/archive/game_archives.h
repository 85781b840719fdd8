// The two game archives, "gvdata.mor" searched before "kelddat.mpq", read through StormLib.
// The library runs in a worker process where one can be started, so that a damaged archive
// that crashes or hangs it fails the call instead of ending the program.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_calls.h"

namespace gvde {

class GameArchives final {
 public:
  GameArchives() = default;
  GameArchives(const GameArchives&) = delete;
  GameArchives& operator=(const GameArchives&) = delete;
  ~GameArchives();

  // Opens gameDir + "gvdata.mor", then gameDir + "kelddat.mpq"; true when both are open.
  // An archive whose header the library cannot safely read is not opened.
  bool OpenArchives(const std::string& gameDir);
  // After OpenArchives failed: the system's reason the archive gave that could not be opened,
  // where one was recorded.
  static std::string OpenFailureDetail(const std::string& gameDir);
  // Closes whatever is open; harmless when nothing is.
  void CloseArchives();

  // The file's size (> 0) with `buffer` holding it; 0 when it is in neither archive, its read
  // failed or it is empty; -1 when it is too large or no buffer of its size can be had.
  std::int32_t ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name);
  // True when the file exists, is exactly `size` bytes long and was read into `destination`.
  bool ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name);

 private:
  // The library calls with the archives opened so far; null while none is.
  std::unique_ptr<ArchiveCalls> calls_;
};

}  // namespace gvde
