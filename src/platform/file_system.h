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
// of `to` sees either the old file or the new one. False, with the reason recorded for `to`,
// when it cannot.
bool RenameOver(const std::string& from, const std::string& to);

// Removes a file; false when it cannot (or there is none).
bool RemoveFile(const std::string& path);

class OutputFolder;
bool WriteChargedFile(const OutputFolder& folder, std::string_view name, std::span<const std::uint8_t> bytes);

// A folder held open for the files a run creates in it. POSIX creates them relative to the
// folder's descriptor, so its path is looked up once and a folder put in its place later is
// not written into. Movable, so that its owner can be.
class OutputFolder {
 public:
  OutputFolder() = default;
  OutputFolder(OutputFolder&& other) noexcept;
  OutputFolder& operator=(OutputFolder&& other) noexcept;
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;
  ~OutputFolder();

  // Opens the folder at `path` (a link to a folder is followed). False, with the reason
  // recorded for `path`, when it cannot.
  bool Open(const std::string& path);
  // The path of the file `name` in the folder: its path, PathSeparator(), the name.
  std::string PathOf(std::string_view name) const;

 private:
  friend class OutputFile;
  friend bool WriteChargedFile(const OutputFolder& folder, std::string_view name, std::span<const std::uint8_t> bytes);
  void Close();

  std::intptr_t handle_ = -1;
  std::string path_;
};

// A file created anew and written piece by piece. Whatever was at its name is removed first,
// so a link there is replaced, not written through. The file is kept in memory and written with
// one call at Close (a file past 1 MiB in pieces of about that size). Every failure is
// remembered (and recorded as the thread's last file error), so Close() tells whether the whole
// file reached the disk. The file counts against the OutputLimit in force as its size, and as
// at least OutputLimit::kLeastPerFile.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // False when the path is too long, the output limit is reached or the file cannot be
  // created.
  bool Create(const std::string& path);
  // The file `name` in `folder`; failures are recorded for folder.PathOf(name).
  bool Create(const OutputFolder& folder, std::string_view name);
  // A new file at `path` only where nothing is there yet: what is there is kept, and
  // `exists` tells that it was.
  bool CreateIfAbsent(const std::string& path, bool& exists);
  // A new file named `prefix`, six letters and digits of its own and `suffix`, never one that
  // is there already (as mkstemp makes one): two programs never take the same name. Path()
  // tells the name taken; failures are recorded for it.
  bool CreateUnique(const std::string& prefix, std::string_view suffix);
  // Writes into what is at `path` where it is (a device, a named pipe), nothing created or
  // replaced; a named pipe that no one reads does not open.
  bool OpenInPlace(const std::string& path);
  // Writes to the program's standard output; failures are recorded for `name`.
  bool OpenStandardOutput(const std::string& name);
  void Write(const void* data, std::size_t size);
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Writes what is held and closes the file; true when creation, every write and the close
  // succeeded.
  bool Close();
  bool IsOpen() const { return handle_ != -1; }
  // The path of the file being written, or last written.
  const std::string& Path() const { return path_; }

 private:
  friend bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);
  friend bool WriteWholeFile(const OutputFolder& folder, std::string_view name, std::span<const std::uint8_t> bytes);
  friend bool WriteChargedFile(const OutputFolder& folder, std::string_view name, std::span<const std::uint8_t> bytes);

  // `charge`: the file is counted against the output limit here (false: it was counted already).
  bool Open(std::intptr_t folder, std::string path, std::size_t nameStart, bool charge);
  // Closes what is open and, with `charge`, counts a new file against the output limit; false
  // when the path cannot be used or the limit is reached.
  bool Start(std::string path, bool charge);
  bool Opened(std::intptr_t handle);
  bool WriteWhole(std::span<const std::uint8_t> bytes, bool charge);
  bool Charge(std::size_t size);
  void WriteOut(const void* data, std::size_t size);
  bool Failed();

  std::intptr_t handle_ = -1;
  bool failed_ = false;
  std::uint64_t size_ = 0;
  std::string path_;
  // Taken from the thread's spare buffers at the first Write and given back at Close.
  std::vector<char> held_;
};

// Creates a file anew, as OutputFile does, holding `bytes` written with one call; false when it
// cannot be created or written whole.
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);
bool WriteWholeFile(const OutputFolder& folder, std::string_view name, std::span<const std::uint8_t> bytes);
// The same for a file already counted against the output limit (OutputLimit::ChargeFile), so
// that files written on several threads are counted in an order of their own choosing.
bool WriteChargedFile(const OutputFolder& folder, std::string_view name, std::span<const std::uint8_t> bytes);

}  // namespace gvde
