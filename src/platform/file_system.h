// The one layer through which the core touches files and directories.
// POSIX builds use POSIX calls; Windows and winelib builds use the Win32 file API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gvde {

// Separator used where the site's literal "data\" appears in an output path.
char PathSeparator();

// Longest path the platform accepts; longer paths are refused like unopenable files.
std::size_t MaxPathLength();

// Reads a whole file opened read-only. nullopt when it cannot be opened or read, or when it
// holds more than `maxSize` bytes: the size is checked before anything is read. Failures of
// this layer are recorded for DescribeFileError (platform/file_error.h).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t maxSize);

bool IsDirectory(const std::string& path);

// A plain file opened read-only for reads at any offset, for readers that need a few bytes of a
// large file. Anything else at the path (a named pipe would wait for a writer) does not open.
class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // False when it cannot be opened or is no plain file; the reason is recorded either way.
  bool Open(const std::string& path);
  std::uint64_t Size() const { return size_; }
  // Copies the `count` bytes at `offset`; false unless all of them were read.
  bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count);
  // Where bytes other than zeros may next be, at or after `offset`: past a hole of a sparse
  // file that the system knows of (the size when only a hole follows), else `offset` itself.
  std::uint64_t DataFrom(std::uint64_t offset) const;

 private:
  void Close();

  std::intptr_t handle_ = -1;
  std::uint64_t size_ = 0;
};

// Creates one directory level; false when it cannot be created.
bool MakeDirectory(const std::string& path);

// Renames the file `from` to `to` in one step, replacing a file already at `to`, so that a reader
// of `to` sees either the old file or the new one. False when it cannot.
bool RenameOver(const std::string& from, const std::string& to);

// Removes a file; false when it cannot (or there is none).
bool RemoveFile(const std::string& path);

// A file created anew and written piece by piece. Whatever was at its path is removed first,
// so a link there is replaced, not written through. Every failure is remembered (and recorded
// as the thread's last file error), so Close() tells whether the whole file reached the disk.
// Writes count against the OutputLimit in force.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // False when the path is too long or the file cannot be created.
  bool Create(const std::string& path);
  void Write(const void* data, std::size_t size);
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Closes the file; true when creation, every write and the close succeeded.
  bool Close();
  bool IsOpen() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
  bool failed_ = false;
  std::string path_;
};

// Creates the file at `path` anew, as OutputFile does, holding `bytes`; false when it cannot be
// created or written whole.
inline bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  OutputFile file;
  if (!file.Create(path)) return false;
  file.Write(bytes.data(), bytes.size());
  return file.Close();
}

}  // namespace gvde
