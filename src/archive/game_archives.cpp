// The one file that includes StormLib.h: a winelib build compiles it without the Windows
// macros. It holds the library calls (StormArchives) and GameArchives, which checks each archive
// before the library sees it and hands the calls to a worker process where there is one.
#include "archive/game_archives.h"

#if defined(_WIN32) && defined(__WINE__)
#error "StormLib.h must be compiled without the Windows macros in a winelib build"
#endif
#include <StormLib.h>

#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "archive/archive_header_check.h"
#include "archive/native_path.h"
#include "archive/storm_archives.h"
#include "archive/worker_client.h"

namespace gvde {
namespace {

// Read-only, and neither the list of file names nor the attributes are read: the program looks
// files up by name, and nothing of an archive is parsed before the worker is confined.
constexpr DWORD kArchiveOpenFlags = STREAM_FLAG_READ_ONLY | MPQ_OPEN_NO_LISTFILE | MPQ_OPEN_NO_ATTRIBUTES;
constexpr DWORD kSearchThisArchive = 0;
constexpr DWORD kFromBeginning = 0;

// Releases the archive file on every way out of a read.
class OpenedFile {
 public:
  explicit OpenedFile(HANDLE handle) : handle_(handle) {}
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;
  ~OpenedFile() { SFileCloseFile(handle_); }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The file from the first archive holding it, or null when neither does.
HANDLE OpenByName(HANDLE gameArchive, HANDLE baseArchive, const std::string& name) {
  HANDLE file = nullptr;
  if (gameArchive != nullptr && SFileOpenFileEx(gameArchive, name.c_str(), kSearchThisArchive, &file)) {
    return file;
  }
  file = nullptr;
  if (baseArchive != nullptr && SFileOpenFileEx(baseArchive, name.c_str(), kSearchThisArchive, &file)) {
    return file;
  }
  return nullptr;
}

bool ReadFromStart(HANDLE file, void* destination, DWORD size) {
  SFileSetFilePointer(file, 0, nullptr, kFromBeginning);
  DWORD bytesRead = 0;
  return SFileReadFile(file, destination, size, &bytesRead, nullptr);
}

// The archive's path for the library: a winelib program holds Windows paths, the library opens
// files natively.
ArchivePath PathOf(const std::string& held) { return {held, NativeArchivePath(held)}; }

// Empty when both archives pass the checks made before the library sees them. That the file
// opens matters too: when it cannot, this library version closes descriptor 0 on its way out,
// which may belong to the other archive.
std::string RefusedArchives(const ArchivePath& game, const ArchivePath& base) {
  for (const ArchivePath* archive : {&game, &base}) {
    if (std::string refused = RefusedArchiveDetail(archive->held); !refused.empty()) return refused;
    if (archive->native.empty()) return archive->held + ": the path cannot be handed to the archive library";
  }
  return {};
}

}  // namespace

StormArchives::~StormArchives() {
  for (void*& archive : archives_) {
    if (archive != nullptr) SFileCloseArchive(archive);
    archive = nullptr;
  }
}

std::optional<std::uint32_t> StormArchives::OpenArchive(ArchiveSlot slot, const std::string& nativePath) {
  void*& archive = archives_[static_cast<int>(slot)];
  if (archive != nullptr) return ERROR_ALREADY_EXISTS;
  if (SFileOpenArchive(nativePath.c_str(), 0, kArchiveOpenFlags, &archive)) return std::nullopt;
  archive = nullptr;
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_CAN_NOT_COMPLETE;
}

OpenOutcome StormArchives::OpenArchives(const ArchivePath& game, const ArchivePath& base) {
  if (const auto error = OpenArchive(ArchiveSlot::Game, game.native)) {
    return {false, game.held + ": " + DescribeLibraryError(*error)};
  }
  if (const auto error = OpenArchive(ArchiveSlot::Base, base.native)) {
    return {false, base.held + ": " + DescribeLibraryError(*error)};
  }
  return {true, {}};
}

ExtractOutcome StormArchives::ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& buffer) {
  HANDLE handle = OpenByName(archives_[0], archives_[1], name);
  if (handle == nullptr) return ExtractOutcome::NoData;
  const OpenedFile file(handle);
  DWORD sizeHigh = 0;
  const DWORD size = SFileGetFileSize(file.Get(), &sizeHigh);
  if (sizeHigh != 0 || size > kLargestArchiveFile) return ExtractOutcome::TooLarge;
  if (size == 0) return ExtractOutcome::NoData;
  try {
    buffer.resize(size);
  } catch (const std::bad_alloc&) {
    return ExtractOutcome::TooLarge;
  } catch (const std::length_error&) {
    return ExtractOutcome::TooLarge;
  }
  if (!ReadFromStart(file.Get(), buffer.data(), size)) return ExtractOutcome::ReadFailed;
  return ExtractOutcome::Read;
}

bool StormArchives::ReadExactFile(const std::string& name, std::uint32_t size, std::uint8_t* destination) {
  return ReadExactFileInto(name, size, [destination] { return destination; });
}

bool StormArchives::ReadExactFileInto(const std::string& name, std::uint32_t size,
                                      const std::function<std::uint8_t*()>& destinationFor) {
  HANDLE handle = OpenByName(archives_[0], archives_[1], name);
  if (handle == nullptr) return false;
  const OpenedFile file(handle);
  DWORD sizeHigh = 0;
  const DWORD actualSize = SFileGetFileSize(file.Get(), &sizeHigh);
  if (sizeHigh != 0 || actualSize != size || size > kLargestArchiveFile) return false;
  std::uint8_t* destination = destinationFor();
  return destination != nullptr && ReadFromStart(file.Get(), destination, size);
}

GameArchives::~GameArchives() { CloseArchives(); }

bool GameArchives::OpenArchives(const std::string& gameDir) {
  CloseArchives();  // a second open must not keep the first pair
  openFailure_.clear();
  const ArchivePath game = PathOf(gameDir + "gvdata.mor");
  const ArchivePath base = PathOf(gameDir + "kelddat.mpq");
  openFailure_ = RefusedArchives(game, base);
  if (!openFailure_.empty()) return false;
  calls_ = StartArchiveCalls(workerWaitLimit_);
  const OpenOutcome outcome = calls_->OpenArchives(game, base);
  if (outcome.open) return true;
  openFailure_ = outcome.detail;
  calls_.reset();
  return false;
}

void GameArchives::CloseArchives() { calls_.reset(); }

std::int32_t GameArchives::ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name) {
  if (calls_ == nullptr) return 0;
  switch (calls_->ReadWholeFile(name, buffer)) {
    case ExtractOutcome::Read:
      return static_cast<std::int32_t>(buffer.size());
    case ExtractOutcome::NoData:
      return 0;
    case ExtractOutcome::TooLarge:
      return -1;
    case ExtractOutcome::ReadFailed:
      break;
  }
  buffer.clear();
  return 0;
}

bool GameArchives::ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) {
  return calls_ != nullptr && calls_->ReadExactFile(name, size, destination);
}

std::string GameArchives::TakeReaderFailure() {
  return calls_ != nullptr ? calls_->TakeReaderFailure() : std::string();
}

std::string DescribeLibraryError(std::uint32_t code) {
  switch (code) {
    case ERROR_FILE_CORRUPT:
    case ERROR_BAD_FORMAT:
      return "damaged archive (the archive library cannot read it)";
    case ERROR_NOT_ENOUGH_MEMORY:
      return "not enough memory to open it";
    default:
      return "the archive library cannot open it (error " + std::to_string(code) + ")";
  }
}

}  // namespace gvde
