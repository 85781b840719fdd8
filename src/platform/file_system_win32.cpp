// Keep <windows.h> from defining min and max macros that break the standard headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include "platform/file_system.h"

namespace gvde {

namespace {

bool UsablePath(const std::string& path) { return !path.empty() && path.size() <= MaxPathLength(); }

// Largest piece handed to one ReadFile or WriteFile call.
constexpr DWORD kChunkSize = 1u << 20;

}  // namespace

char PathSeparator() { return '\\'; }

std::size_t MaxPathLength() { return MAX_PATH - 1; }

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t maxSize) {
  if (!UsablePath(path)) return std::nullopt;
  // A directory cannot be opened without backup semantics, so it fails here like a missing file.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > maxSize) {
    CloseHandle(file);
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  std::vector<std::uint8_t> chunk(kChunkSize);
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk.data(), kChunkSize, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    // A file that grows while it is read is held to the same limit.
    if (bytes.size() > maxSize) {
      ok = false;
      break;
    }
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

bool IsDirectory(const std::string& path) {
  if (!UsablePath(path)) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::string& path) {
  if (!UsablePath(path)) return false;
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
  if (!UsablePath(from) || !UsablePath(to)) return false;
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) {
  if (!UsablePath(path)) return false;
  return DeleteFileA(path.c_str()) != 0;
}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Create(const std::string& path) {
  Close();
  failed_ = false;
  if (!UsablePath(path)) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  return true;
}

void OutputFile::Write(const void* data, std::size_t size) {
  if (handle_ == nullptr) {
    failed_ = true;
    return;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size != 0) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, kChunkSize));
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), bytes, piece, &written, nullptr) || written == 0) {
      failed_ = true;
      return;
    }
    bytes += written;
    size -= written;
  }
}

bool OutputFile::Close() {
  if (handle_ == nullptr) return false;
  if (!CloseHandle(static_cast<HANDLE>(handle_))) failed_ = true;
  handle_ = nullptr;
  return !failed_;
}

}  // namespace gvde
