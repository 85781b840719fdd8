// OutputFolder and OutputFile above the platform's calls (platform/native_files.h).
#include <chrono>
#include <random>
#include <utility>
#include <vector>

#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/native_files.h"
#include "platform/output_limit.h"

namespace gvde {

namespace {

// A file up to this size is written with one call; a larger one in pieces of about this size.
constexpr std::size_t kHeldBytes = std::size_t{1} << 20;
// Buffers kept per thread for the next files; more than one, since a list page stays open while
// the pages it lists are written.
constexpr std::size_t kSpareBuffers = 4;

thread_local std::vector<std::vector<char>> spareBuffers;

std::vector<char> TakeSpareBuffer() {
  if (spareBuffers.empty()) return {};
  std::vector<char> buffer = std::move(spareBuffers.back());
  spareBuffers.pop_back();
  return buffer;
}

void KeepSpareBuffer(std::vector<char>& buffer) {
  if (buffer.capacity() == 0) return;
  buffer.clear();
  if (spareBuffers.size() < kSpareBuffers && buffer.capacity() <= 2 * kHeldBytes) {
    spareBuffers.push_back(std::move(buffer));
  }
  buffer = {};
}

// Names tried for one unique file before giving up: a folder where that many are taken is
// full of them.
constexpr int kUniqueNameTries = 100;

std::uint64_t RandomSeed() {
  std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    std::random_device device;
    seed ^= (std::uint64_t{device()} << 32) | device();
  } catch (...) {
    // The clock alone: exclusive creation keeps the names apart anyway.
  }
  return seed;
}

// Six letters and digits for a name of its own; random, so that two programs rarely try the
// same one.
std::string UniqueLetters() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random(RandomSeed());
  std::string letters(6, ' ');
  for (char& letter : letters) letter = kLetters[random() % (sizeof kLetters - 1)];
  return letters;
}

}  // namespace

OutputFolder::OutputFolder(OutputFolder&& other) noexcept
    : handle_(std::exchange(other.handle_, native::kNoHandle)), path_(std::move(other.path_)) {}

OutputFolder& OutputFolder::operator=(OutputFolder&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, native::kNoHandle);
    path_ = std::move(other.path_);
  }
  return *this;
}

OutputFolder::~OutputFolder() { Close(); }

void OutputFolder::Close() {
  if (handle_ != native::kNoHandle) native::CloseFolder(handle_);
  handle_ = native::kNoHandle;
}

bool OutputFolder::Open(const std::string& path) {
  Close();
  path_ = path;
  if (!native::UsablePath(path)) return false;
  handle_ = native::OpenFolder(path);
  if (handle_ != native::kNoHandle) return true;
  RecordFileError(path, LastSystemErrorText());
  return false;
}

std::string OutputFolder::PathOf(std::string_view name) const {
  std::string path = path_;
  path += PathSeparator();
  path += name;
  return path;
}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Create(const std::string& path) { return Open(native::kWorkingFolder, path, 0, true); }

bool OutputFile::Create(const OutputFolder& folder, std::string_view name) {
  std::string path = folder.PathOf(name);
  const std::size_t nameStart = path.size() - name.size();
  return Open(folder.handle_, std::move(path), nameStart, true);
}

// A fresh folder has nothing at the name and takes one call. Whatever is there goes first and
// the new file must not exist: a link planted there (symbolic, dangling or hard) is replaced,
// never written through. A folder at the name stays and the creation fails.
bool OutputFile::Open(std::intptr_t folder, std::string path, std::size_t nameStart, bool charge) {
  if (!Start(std::move(path), charge)) return false;
  const native::FileName name{folder, path_.c_str() + nameStart, path_.c_str()};
  bool exists = false;
  handle_ = native::CreateNew(name, exists);
  if (handle_ == native::kNoHandle && exists) {
    if (!native::Remove(name)) return Failed();
    handle_ = native::CreateNew(name, exists);
  }
  return handle_ != native::kNoHandle || Failed();
}

bool OutputFile::CreateIfAbsent(const std::string& path, bool& exists) {
  exists = false;
  if (!Start(path, true)) return false;
  const native::FileName name{native::kWorkingFolder, path_.c_str(), path_.c_str()};
  return Opened(native::CreateNew(name, exists));
}

bool OutputFile::CreateUnique(const std::string& prefix, std::string_view suffix) {
  if (!Start(prefix + UniqueLetters() + std::string(suffix), true)) return false;
  for (int tries = 1;; ++tries) {
    const native::FileName name{native::kWorkingFolder, path_.c_str(), path_.c_str()};
    bool exists = false;
    handle_ = native::CreateNew(name, exists);
    if (handle_ != native::kNoHandle) return true;
    if (!exists || tries == kUniqueNameTries) return Failed();
    path_ = prefix + UniqueLetters() + std::string(suffix);
  }
}

bool OutputFile::OpenInPlace(const std::string& path) {
  return Start(path, true) && Opened(native::OpenExisting(path));
}

bool OutputFile::OpenStandardOutput(const std::string& name) {
  return Start(name, true) && Opened(native::DuplicateStandardOutput());
}

bool OutputFile::Start(std::string path, bool charge) {
  Close();
  failed_ = false;
  size_ = 0;
  path_ = std::move(path);
  if (!native::UsablePath(path_)) return false;
  return !charge || OutputLimit::Charge(OutputLimit::kLeastPerFile);
}

bool OutputFile::Opened(std::intptr_t handle) {
  handle_ = handle;
  return handle_ != native::kNoHandle || Failed();
}

void OutputFile::Write(const void* data, std::size_t size) {
  if (handle_ == native::kNoHandle || failed_) {
    failed_ = true;
    return;
  }
  if (size == 0) return;
  if (!Charge(size)) {
    failed_ = true;
    return;
  }
  if (held_.size() + size > kHeldBytes) {
    WriteOut(held_.data(), held_.size());
    held_.clear();
    if (size >= kHeldBytes) return WriteOut(data, size);
  }
  if (held_.capacity() == 0) held_ = TakeSpareBuffer();
  const auto* bytes = static_cast<const char*>(data);
  held_.insert(held_.end(), bytes, bytes + size);
}

bool OutputFile::Close() {
  if (handle_ == native::kNoHandle) return false;
  WriteOut(held_.data(), held_.size());
  KeepSpareBuffer(held_);
  if (!native::Close(handle_) && !failed_) Failed();
  handle_ = native::kNoHandle;
  if (!failed_) OutputLimit::CountFile(size_);
  return !failed_;
}

// The first kLeastPerFile bytes were counted when the file was created.
bool OutputFile::Charge(std::size_t size) {
  const std::uint64_t counted = size_ < OutputLimit::kLeastPerFile ? OutputLimit::kLeastPerFile - size_ : 0;
  size_ += size;
  return size <= counted || OutputLimit::Charge(static_cast<std::size_t>(size - counted));
}

void OutputFile::WriteOut(const void* data, std::size_t size) {
  if (size == 0 || failed_) return;
  if (!native::Write(handle_, data, size)) Failed();
}

// Records the system's reason for path_ and gives false, so a failing call can end with
// `return Failed()`.
bool OutputFile::Failed() {
  RecordFileError(path_, LastSystemErrorText());
  failed_ = true;
  return false;
}

// Written from the caller's bytes: nothing is copied.
bool OutputFile::WriteWhole(std::span<const std::uint8_t> bytes, bool charge) {
  if (!charge) size_ += bytes.size();
  if (!charge || Charge(bytes.size())) {
    WriteOut(bytes.data(), bytes.size());
  } else {
    failed_ = true;
  }
  return Close();
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  OutputFile file;
  return file.Create(path) && file.WriteWhole(bytes, true);
}

bool WriteWholeFile(const OutputFolder& folder, std::string_view name, std::span<const std::uint8_t> bytes) {
  OutputFile file;
  return file.Create(folder, name) && file.WriteWhole(bytes, true);
}

bool WriteChargedFile(const OutputFolder& folder, std::string_view name, std::span<const std::uint8_t> bytes) {
  std::string path = folder.PathOf(name);
  const std::size_t nameStart = path.size() - name.size();
  OutputFile file;
  return file.Open(folder.handle_, std::move(path), nameStart, false) && file.WriteWhole(bytes, false);
}

}  // namespace gvde
