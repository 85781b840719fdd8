// Keep <windows.h> from defining min and max macros that break the standard headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/native_files.h"

namespace gvde {

namespace {

// Largest piece handed to one ReadFile or WriteFile call.
constexpr DWORD kChunkSize = 1u << 20;

std::string SystemErrorText(DWORD code) {
  char buffer[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      buffer, sizeof buffer, nullptr);
  std::string text(buffer, std::min<std::size_t>(length, sizeof buffer));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = "system error " + std::to_string(code);
  return text;
}

// Records the last error for `path` and gives false, so a failing call can end with
// `return Failed(path)`.
bool Failed(const std::string& path) {
  RecordFileError(path, LastSystemErrorText());
  return false;
}

std::string TooLarge(std::uint64_t maxSize) { return "larger than " + std::to_string(maxSize) + " bytes"; }

}  // namespace

namespace native {

bool UsablePath(const std::string& path) {
  if (path.empty()) {
    RecordFileError(path, SystemErrorText(ERROR_PATH_NOT_FOUND));
    return false;
  }
  if (path.size() > MaxPathLength()) {
    RecordFileError(path, SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
    return false;
  }
  return true;
}

}  // namespace native

using native::UsablePath;

std::string LastSystemErrorText() { return SystemErrorText(GetLastError()); }

char PathSeparator() { return '\\'; }

std::size_t MaxPathLength() { return MAX_PATH - 1; }

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t maxSize) {
  if (!UsablePath(path)) return std::nullopt;
  // A directory cannot be opened without backup semantics, so it fails here like a missing file.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Failed(path);
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) {
    Failed(path);
    CloseHandle(file);
    return std::nullopt;
  }
  if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > maxSize) {
    RecordFileError(path, TooLarge(maxSize));
    CloseHandle(file);
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  // Filled by ReadFile before it is read: no need to clear it first.
  const auto chunk = std::make_unique_for_overwrite<std::uint8_t[]>(kChunkSize);
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk.get(), kChunkSize, &got, nullptr)) {
      ok = Failed(path);
      break;
    }
    if (got == 0) break;
    bytes.insert(bytes.end(), chunk.get(), chunk.get() + got);
    // A file that grows while it is read is held to the same limit.
    if (bytes.size() > maxSize) {
      RecordFileError(path, TooLarge(maxSize));
      ok = false;
      break;
    }
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

bool IsDirectory(const std::string& path) {
  if (path.empty() || path.size() > MaxPathLength()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::string& path) {
  if (!UsablePath(path)) return false;
  return CreateDirectoryA(path.c_str(), nullptr) != 0 || Failed(path);
}

bool RenameOver(const std::string& from, const std::string& to) {
  if (!UsablePath(from) || !UsablePath(to)) return false;
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 || Failed(to);
}

bool RemoveFile(const std::string& path) {
  if (!UsablePath(path)) return false;
  return DeleteFileA(path.c_str()) != 0;
}

InputFile::~InputFile() { Close(); }

void InputFile::Close() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  size_ = 0;
}

bool InputFile::Open(const std::string& path) {
  Close();
  if (!UsablePath(path)) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed(path);
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK) {
    RecordFileError(path, "not a plain file");
    CloseHandle(file);
    return false;
  }
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) {
    Failed(path);
    CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

bool InputFile::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
  if (handle_ == -1 || offset > size_ || count > size_ - offset) return false;
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  while (count > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(count, kChunkSize));
    DWORD read = 0;
    if (!ReadFile(file, out, piece, &read, &at) || read == 0) return false;
    out += read;
    offset += read;
    count -= read;
  }
  return true;
}

// Windows reads the holes of a sparse file quickly enough; they are not looked for.
std::uint64_t InputFile::DataFrom(std::uint64_t offset) const { return offset; }

namespace native {

// Files are created by path; the held folder handle only stands for an opened folder.
const Handle kWorkingFolder = -2;

// The folder stays open without keeping anyone from renaming or removing it.
Handle OpenFolder(const std::string& path) {
  HANDLE folder = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return kNoHandle;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(folder, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    CloseHandle(folder);
    SetLastError(ERROR_DIRECTORY);
    return kNoHandle;
  }
  return reinterpret_cast<Handle>(folder);
}

void CloseFolder(Handle folder) { CloseHandle(reinterpret_cast<HANDLE>(folder)); }

// The reparse-point flag keeps a link at the name from being followed: the name exists, so
// CREATE_NEW fails.
Handle CreateNew(const FileName& file, bool& exists) {
  exists = false;
  if (file.folder == kNoHandle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return kNoHandle;
  }
  HANDLE created = CreateFileA(file.path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (created != INVALID_HANDLE_VALUE) return reinterpret_cast<Handle>(created);
  const DWORD error = GetLastError();
  exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
  return kNoHandle;
}

Handle OpenExisting(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(file);
}

Handle DuplicateStandardOutput() {
  HANDLE process = GetCurrentProcess();
  HANDLE copy = nullptr;
  if (!DuplicateHandle(process, GetStdHandle(STD_OUTPUT_HANDLE), process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return kNoHandle;
  }
  return reinterpret_cast<Handle>(copy);
}

// DeleteFile removes a symbolic link itself, and a hard link only loses this name.
bool Remove(const FileName& file) { return DeleteFileA(file.path) != 0; }

bool Write(Handle file, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size != 0) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, kChunkSize));
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(file), bytes, piece, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    bytes += written;
    size -= written;
  }
  return true;
}

bool Close(Handle file) { return CloseHandle(reinterpret_cast<HANDLE>(file)) != 0; }

}  // namespace native

}  // namespace gvde
