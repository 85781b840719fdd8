#include "archive/game_archives.h"

#if defined(_WIN32) && defined(__WINE__)
#error "StormLib.h must be compiled without the Windows macros in a winelib build"
#endif
#include <StormLib.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <new>
#include <stdexcept>

#include "archive/native_path.h"

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

// When the archive file itself cannot be opened, this StormLib version closes descriptor 0
// on its way out, which may belong to the other archive. Such a path is refused before
// StormLib sees it; the result is the same false.
bool CanOpenForReading(const std::string& path) {
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (probe == nullptr) {
    return false;
  }
  std::fclose(probe);
  return true;
}

bool OpenArchive(const std::string& heldPath, HANDLE* archive) {
  // The library opens files natively; a winelib program holds Windows paths.
  const std::string path = NativeArchivePath(heldPath);
  if (path.empty() || !CanOpenForReading(path) || !SFileOpenArchive(path.c_str(), 0, kReadOnlyOpen, archive)) {
    *archive = nullptr;
    return false;
  }
  return true;
}

bool ReadFromStart(HANDLE file, void* destination, DWORD size) {
  SFileSetFilePointer(file, 0, nullptr, kFromBeginning);
  DWORD bytesRead = 0;
  return SFileReadFile(file, destination, size, &bytesRead, nullptr);
}

}  // namespace

GameArchives::~GameArchives() { CloseArchives(); }

bool GameArchives::OpenArchives(const std::string& gameDir) {
  CloseArchives();  // handles are owned; a second open must not leak the first pair
  if (!OpenArchive(gameDir + "gvdata.mor", &GameArchive)) {
    return false;
  }
  return OpenArchive(gameDir + "kelddat.mpq", &BaseArchive);
}

void GameArchives::CloseArchives() {
  if (GameArchive != nullptr) {
    SFileCloseArchive(GameArchive);
    GameArchive = nullptr;
  }
  if (BaseArchive != nullptr) {
    SFileCloseArchive(BaseArchive);
    BaseArchive = nullptr;
  }
}

std::int32_t GameArchives::ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name) {
  HANDLE handle = OpenByName(GameArchive, BaseArchive, name);
  if (handle == nullptr) {
    return 0;
  }
  const OpenedFile file(handle);
  DWORD sizeHigh = 0;
  const DWORD size = SFileGetFileSize(file.Get(), &sizeHigh);
  // A size that is no positive 32-bit result counts as too large.
  if (sizeHigh != 0 || size > static_cast<DWORD>(std::numeric_limits<std::int32_t>::max())) {
    return -1;
  }
  if (size == 0) {
    return 0;
  }
  try {
    buffer.resize(size);
  } catch (const std::bad_alloc&) {
    return -1;
  } catch (const std::length_error&) {
    return -1;
  }
  if (!ReadFromStart(file.Get(), buffer.data(), size)) {
    buffer.clear();
    return 0;
  }
  return static_cast<std::int32_t>(size);
}

bool GameArchives::ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) {
  HANDLE handle = OpenByName(GameArchive, BaseArchive, name);
  if (handle == nullptr) {
    return false;
  }
  const OpenedFile file(handle);
  DWORD sizeHigh = 0;
  const DWORD actualSize = SFileGetFileSize(file.Get(), &sizeHigh);
  if (sizeHigh != 0 || actualSize != size) {
    return false;
  }
  return ReadFromStart(file.Get(), destination, size);
}

}  // namespace gvde
