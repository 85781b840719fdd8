#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/file_targets.h"
#include "platform/native_files.h"

namespace gvde {

namespace {

// As many links as the system itself follows in one path.
constexpr int kMostLinks = 40;

bool Failed(const std::string& path, int error) {
  RecordFileError(path, std::generic_category().message(error));
  return false;
}

PathKind KindOf(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return PathKind::PlainFile;
  if (S_ISDIR(st.st_mode)) return PathKind::Folder;
  return PathKind::Other;
}

// The text of the link at `path`; nullopt with errno set when it cannot be read.
std::optional<std::string> LinkText(const std::string& path) {
  std::string text(PATH_MAX, '\0');
  const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
  if (length < 0) return std::nullopt;
  if (static_cast<std::size_t>(length) >= text.size()) {
    errno = ENAMETOOLONG;
    return std::nullopt;
  }
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

bool MakeDirectories(const std::string& path) {
  if (!native::UsablePath(path)) return false;
  // Each level from the top down; the root and a trailing separator need no making.
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string level = path.substr(0, end);
    if (!level.empty() && level.back() != '/' && ::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) {
      return Failed(level, errno);
    }
    if (end == std::string::npos) return true;
  }
}

std::optional<LinkEnd> FollowLinks(const std::string& path) {
  if (!native::UsablePath(path)) return std::nullopt;
  std::string at = path;
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0) {
      if (errno == ENOENT) return LinkEnd{at, PathKind::Missing};
      Failed(path, errno);
      return std::nullopt;
    }
    if (!S_ISLNK(st.st_mode)) return LinkEnd{at, KindOf(st)};
    const std::optional<std::string> text = LinkText(at);
    if (!text) {
      Failed(path, errno);
      return std::nullopt;
    }
    // A relative link leads from the folder that holds it.
    const std::string folder = FolderOf(at);
    at = text->starts_with('/') || folder.empty() ? *text : (folder == "/" ? folder : folder + "/") + *text;
    // A few links can lead to a path of any length; the system's own limit ends it.
    if (!native::UsablePath(at)) {
      Failed(path, ENAMETOOLONG);
      return std::nullopt;
    }
  }
  Failed(path, ELOOP);
  return std::nullopt;
}

bool FolderTakesFiles(const std::string& folder) {
  const std::string path = folder.empty() ? "." : folder;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return Failed(folder, errno);
  if (!S_ISDIR(st.st_mode)) return Failed(folder, ENOTDIR);
  if (::access(path.c_str(), W_OK | X_OK) != 0) return Failed(folder, errno);
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

std::optional<std::string> ResolvedPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.empty() ? "." : path.c_str(), nullptr),
                                                              &std::free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

std::string FolderOf(const std::string& path) {
  const std::size_t last = path.rfind('/');
  if (last == std::string::npos) return {};
  return last == 0 ? "/" : path.substr(0, last);
}

}  // namespace gvde
