#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"

namespace gvde {

char PathSeparator() { return '/'; }

std::size_t MaxPathLength() { return PATH_MAX - 1; }

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t maxSize) {
  if (path.empty() || path.size() > MaxPathLength()) return std::nullopt;
  // Non-blocking, so that a named pipe without a writer is refused below instead of waiting.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      static_cast<std::uint64_t>(st.st_size) > maxSize) {
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
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + n);
    // A file that grows while it is read is held to the same limit.
    if (bytes.size() > maxSize) {
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
  if (path.empty() || path.size() > MaxPathLength()) return false;
  return ::mkdir(path.c_str(), 0777) == 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
  const auto usable = [](const std::string& path) { return !path.empty() && path.size() <= MaxPathLength(); };
  if (!usable(from) || !usable(to)) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
  if (path.empty() || path.size() > MaxPathLength()) return false;
  return ::unlink(path.c_str()) == 0;
}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Create(const std::string& path) {
  Close();
  failed_ = false;
  if (path.empty() || path.size() > MaxPathLength()) return false;
  // As fopen "wb" would, but a named pipe without a reader fails at once instead of waiting.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return false;
  const int flags = ::fcntl(fd, F_GETFL);
  const bool blocking = flags != -1 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1;
  std::FILE* f = blocking ? ::fdopen(fd, "wb") : nullptr;
  if (f == nullptr) {
    ::close(fd);
    return false;
  }
  handle_ = f;
  return true;
}

void OutputFile::Write(const void* data, std::size_t size) {
  if (handle_ == nullptr) {
    failed_ = true;
    return;
  }
  if (size != 0 && std::fwrite(data, 1, size, static_cast<std::FILE*>(handle_)) != size) failed_ = true;
}

bool OutputFile::Close() {
  if (handle_ == nullptr) return false;
  if (std::fclose(static_cast<std::FILE*>(handle_)) != 0) failed_ = true;
  handle_ = nullptr;
  return !failed_;
}

}  // namespace gvde
