#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <system_error>

#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/native_files.h"

namespace gvde {

namespace native {

bool UsablePath(const std::string& path) {
  if (path.empty()) {
    RecordFileError(path, std::generic_category().message(ENOENT));
    return false;
  }
  if (path.size() > MaxPathLength()) {
    RecordFileError(path, std::generic_category().message(ENAMETOOLONG));
    return false;
  }
  return true;
}

}  // namespace native

namespace {

using native::UsablePath;

// Records errno for `path` and gives false, so a failing call can end with `return Failed(path)`.
bool Failed(const std::string& path) {
  RecordFileError(path, LastSystemErrorText());
  return false;
}

std::string TooLarge(std::uint64_t maxSize) { return "larger than " + std::to_string(maxSize) + " bytes"; }

}  // namespace

std::string LastSystemErrorText() { return std::generic_category().message(errno); }

char PathSeparator() { return '/'; }

std::size_t MaxPathLength() { return PATH_MAX - 1; }

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t maxSize) {
  if (!UsablePath(path)) return std::nullopt;
  // Non-blocking, so that a named pipe without a writer is refused below instead of waiting.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    Failed(path);
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    Failed(path);
    ::close(fd);
    return std::nullopt;
  }
  if (!S_ISREG(st.st_mode)) {
    RecordFileError(path, S_ISDIR(st.st_mode) ? std::generic_category().message(EISDIR) : "not a plain file");
    ::close(fd);
    return std::nullopt;
  }
  if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxSize) {
    RecordFileError(path, TooLarge(maxSize));
    ::close(fd);
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  std::uint8_t chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      Failed(path);
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + n);
    // A file that grows while it is read is held to the same limit.
    if (bytes.size() > maxSize) {
      RecordFileError(path, TooLarge(maxSize));
      ::close(fd);
      return std::nullopt;
    }
  }
  ::close(fd);
  return bytes;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
  if (!UsablePath(path)) return false;
  return ::mkdir(path.c_str(), 0777) == 0 || Failed(path);
}

bool RenameOver(const std::string& from, const std::string& to) {
  if (!UsablePath(from) || !UsablePath(to)) return false;
  return std::rename(from.c_str(), to.c_str()) == 0 || Failed(to);
}

bool RemoveFile(const std::string& path) {
  if (path.empty() || path.size() > MaxPathLength()) return false;
  return ::unlink(path.c_str()) == 0;
}

InputFile::~InputFile() { Close(); }

void InputFile::Close() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  size_ = 0;
}

bool InputFile::Open(const std::string& path) {
  Close();
  if (!UsablePath(path)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Failed(path);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    Failed(path);
    ::close(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode) || st.st_size < 0) {
    RecordFileError(path, S_ISDIR(st.st_mode) ? std::generic_category().message(EISDIR) : "not a plain file");
    ::close(fd);
    return false;
  }
  handle_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool InputFile::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
  if (handle_ < 0 || offset > size_ || count > size_ - offset) return false;
  while (count > 0) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
    const ssize_t n = ::pread(static_cast<int>(handle_), out, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    offset += static_cast<std::uint64_t>(n);
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

std::uint64_t InputFile::DataFrom(std::uint64_t offset) const {
#ifdef SEEK_DATA
  if (handle_ < 0 || offset >= size_ ||
      offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
    return offset;
  }
  const off_t data = ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_DATA);
  if (data >= 0) return std::max<std::uint64_t>(offset, static_cast<std::uint64_t>(data));
  // ENXIO: nothing but a hole up to the end. Other errors: the file system cannot tell.
  if (errno == ENXIO) return size_;
#endif
  return offset;
}

namespace native {

const Handle kWorkingFolder = AT_FDCWD;

// O_PATH opens a folder for lookups alone, which needs no read permission on it.
#ifdef O_PATH
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

Handle OpenFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), kFolderFlags);
  return fd < 0 ? kNoHandle : fd;
}

void CloseFolder(Handle folder) { ::close(static_cast<int>(folder)); }

Handle CreateNew(const FileName& file, bool& exists) {
  const int fd = ::openat(static_cast<int>(file.folder), file.name,
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  exists = fd < 0 && errno == EEXIST;
  return fd < 0 ? kNoHandle : fd;
}

// Not waiting for a reader of a named pipe, but then writing as to any file.
Handle OpenExisting(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return kNoHandle;
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return kNoHandle;
  }
  return fd;
}

Handle DuplicateStandardOutput() {
  const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
  return fd < 0 ? kNoHandle : fd;
}

bool Remove(const FileName& file) { return ::unlinkat(static_cast<int>(file.folder), file.name, 0) == 0; }

bool Write(Handle file, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size != 0) {
    const ssize_t n = ::write(static_cast<int>(file), bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool Close(Handle file) { return ::close(static_cast<int>(file)) == 0; }

}  // namespace native

}  // namespace gvde
