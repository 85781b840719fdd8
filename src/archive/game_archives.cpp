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
#include <stdexcept>

#include "archive/archive_header_check.h"
#include "archive/native_path.h"
#include "archive/storm_archives.h"
#include "archive/worker_client.h"
#include "platform/file_error.h"

namespace gvde {
namespace {

constexpr DWORD kReadOnlyOpen = 0x100;
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

// Both the check that the file opens and the header check happen before the library sees the
// path. The first matters because, when the archive file itself cannot be opened, this library
// version closes descriptor 0 on its way out, which may belong to the other archive.
bool OpenChecked(std::unique_ptr<ArchiveCalls>& calls, ArchiveSlot slot, const std::string& heldPath) {
  if (ProbeArchiveFile(heldPath) != ArchiveHeaderVerdict::Usable) return false;
  // The library opens files natively; a winelib program holds Windows paths.
  const std::string path = NativeArchivePath(heldPath);
  if (path.empty()) return false;
  if (calls == nullptr) calls = StartArchiveCalls();
  return calls != nullptr && calls->OpenArchive(slot, path);
}

}  // namespace

StormArchives::~StormArchives() {
  for (void*& archive : archives_) {
    if (archive != nullptr) SFileCloseArchive(archive);
    archive = nullptr;
  }
}

bool StormArchives::OpenArchive(ArchiveSlot slot, const std::string& nativePath) {
  void*& archive = archives_[static_cast<int>(slot)];
  if (archive != nullptr) return false;
  if (!SFileOpenArchive(nativePath.c_str(), 0, kReadOnlyOpen, &archive)) {
    archive = nullptr;
    return false;
  }
  return true;
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
  if (!OpenChecked(calls_, ArchiveSlot::Game, gameDir + "gvdata.mor")) return false;
  return OpenChecked(calls_, ArchiveSlot::Base, gameDir + "kelddat.mpq");
}

std::string GameArchives::OpenFailureDetail(const std::string& gameDir) {
  const std::string game = DescribeFileError(gameDir + "gvdata.mor");
  return game.empty() ? DescribeFileError(gameDir + "kelddat.mpq") : game;
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

}  // namespace gvde
