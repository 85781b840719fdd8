// Keep <windows.h> from defining min and max macros that break the standard headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/file_targets.h"
#include "platform/native_files.h"

namespace gvde {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool Failed(const std::string& path) {
  RecordFileError(path, LastSystemErrorText());
  return false;
}

// The identity of an existing file: its volume and its index there.
bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

bool MakeDirectories(const std::string& path) {
  if (!native::UsablePath(path)) return false;
  for (std::size_t end = 1; end <= path.size(); ++end) {
    if (end < path.size() && !IsSeparator(path[end])) continue;
    const std::string level = path.substr(0, end);
    // A drive ("C:") and a trailing separator need no making.
    if (IsSeparator(level.back()) || level.back() == ':') continue;
    if (CreateDirectoryA(level.c_str(), nullptr) == 0 && GetLastError() != ERROR_ALREADY_EXISTS) {
      return Failed(level);
    }
  }
  return true;
}

// Links (reparse points) are written through by the system's own calls: the path is its end.
std::optional<LinkEnd> FollowLinks(const std::string& path) {
  if (!native::UsablePath(path)) return std::nullopt;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return LinkEnd{path, PathKind::Missing};
    Failed(path);
    return std::nullopt;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return LinkEnd{path, PathKind::Folder};
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return LinkEnd{path, PathKind::Other};
  return LinkEnd{path, PathKind::PlainFile};
}

bool FolderTakesFiles(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.empty() ? "." : folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Failed(folder);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetLastError(ERROR_DIRECTORY);
    return Failed(folder);
  }
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first{};
  BY_HANDLE_FILE_INFORMATION second{};
  return Identify(a, first) && Identify(b, second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

std::optional<std::string> ResolvedPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.empty() ? "." : path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  if (GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return std::string(full, length);
}

std::string FolderOf(const std::string& path) {
  std::size_t last = path.size();
  while (last > 0 && !IsSeparator(path[last - 1])) --last;
  if (last == 0) return {};
  // "C:\x" and "\x" keep their root.
  if (last == 1 || (last == 3 && path[1] == ':')) return path.substr(0, last);
  return path.substr(0, last - 1);
}

}  // namespace gvde
