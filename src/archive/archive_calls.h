// The archive library calls behind GameArchives: made in this process (StormArchives) or handed
// to a worker process (WorkerArchives), so that a crash inside the library ends only the worker.
// Included by the file that is compiled without the Windows macros in a winelib build, so it
// holds nothing whose layout depends on them.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace gvde {

enum class ArchiveSlot : std::uint8_t {
  Game = 0,  // "gvdata.mor", searched first
  Base = 1,  // "kelddat.mpq"
};

// The largest file read whole; the game's largest are well below 1 MiB. A larger one counts
// as too large, before any memory is set aside for it.
constexpr std::uint32_t kLargestArchiveFile = 64u << 20;

// How long one wait for a worker process may last before it counts as hung. The worker
// answers within milliseconds unless the library is stuck. The limit is per wait, not per
// call: a large file that keeps arriving is never cut off.
constexpr std::chrono::milliseconds kWorkerWaitLimit{15000};

// What reading a whole file came to; GameArchives turns it into ExtractFile's result.
enum class ExtractOutcome : std::uint8_t {
  Read = 0,        // the buffer holds the file, 1 to kLargestArchiveFile bytes
  NoData = 1,      // in neither archive, or empty: the buffer is untouched
  TooLarge = 2,    // above kLargestArchiveFile, or no buffer of its size: the buffer is untouched
  ReadFailed = 3,  // the read failed: the buffer is to be emptied
};

// One archive's path twice: as the program holds it (checked through the platform layer and
// named in messages) and as the library opens it (they differ in a winelib build).
struct ArchivePath {
  std::string held;
  std::string native;
};

// How opening both archives ended: open, or the detail line that says which archive, or which
// part of the reader, failed and why ("game/gvdata.mor: damaged archive (...)").
struct OpenOutcome {
  bool open = false;
  std::string detail;
};

class ArchiveCalls {
 public:
  virtual ~ArchiveCalls() = default;  // closes whatever is open
  // Opens the game archive, then the base archive; called once.
  virtual OpenOutcome OpenArchives(const ArchivePath& game, const ArchivePath& base) = 0;
  // Looks `name` up in the game archive, then in the base archive, and reads it whole.
  virtual ExtractOutcome ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& buffer) = 0;
  // Reads `name` into `destination` when it is exactly `size` bytes long; else leaves it alone.
  virtual bool ReadExactFile(const std::string& name, std::uint32_t size, std::uint8_t* destination) = 0;
  // What went wrong with the reader itself since the last call, for a detail line ("the
  // archive reader crashed while reading X"); empty when nothing did.
  virtual std::string TakeReaderFailure() { return {}; }
};

}  // namespace gvde
