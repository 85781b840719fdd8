// The two game archives, "gvdata.mor" searched before "kelddat.mpq", read through StormLib.
// The library runs in a worker process where one can be started, so that a damaged archive
// that crashes or hangs it fails the call instead of ending the program.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_calls.h"

namespace gvde {

class GameArchives final {
 public:
  // `workerWaitLimit`: how long one wait for the archive reader's worker may last.
  explicit GameArchives(std::chrono::milliseconds workerWaitLimit = kWorkerWaitLimit)
      : workerWaitLimit_(workerWaitLimit) {}
  GameArchives(const GameArchives&) = delete;
  GameArchives& operator=(const GameArchives&) = delete;
  ~GameArchives();

  // Opens gameDir + "gvdata.mor", then gameDir + "kelddat.mpq"; true when both are open.
  // An archive whose header the library cannot safely read is not opened.
  bool OpenArchives(const std::string& gameDir);
  // After OpenArchives failed: which archive, or which part of the reader, failed and why
  // ("game/gvdata.mor: Is a directory"), for a detail line.
  const std::string& OpenFailureDetail() const { return openFailure_; }
  // Closes whatever is open; harmless when nothing is.
  void CloseArchives();

  // The file's size (> 0) with `buffer` holding it; 0 when it is in neither archive, its read
  // failed or it is empty; -1 when it is too large or no buffer of its size can be had.
  std::int32_t ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name);
  // True when the file exists, is exactly `size` bytes long and was read into `destination`.
  bool ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name);
  // What went wrong with the archive reader since the last call: the file it was reading and
  // what happened ("the archive reader crashed while reading <file>"), told once;
  // empty when nothing did.
  std::string TakeReaderFailure();

 private:
  // The library calls with the archives opened so far; null while none is.
  std::unique_ptr<ArchiveCalls> calls_;
  std::string openFailure_;
  std::chrono::milliseconds workerWaitLimit_;
};

}  // namespace gvde
