#include "testkit/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace gvde::testkit {

TempDir::TempDir() {
  // mkdtemp is POSIX; fall back to a counter-named directory elsewhere.
#if defined(_WIN32)
  static unsigned counter = 0;
  for (;;) {
    std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                      ("gvde_test_" + std::to_string(++counter));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.string();
      break;
    }
  }
#else
  std::error_code error;
  const std::filesystem::path memory("/dev/shm");
  for (const std::filesystem::path& base : {memory, std::filesystem::temp_directory_path()}) {
    if (!std::filesystem::is_directory(base, error)) continue;
    std::string pattern = (base / "gvde_test_XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
      return;
    }
  }
  throw std::runtime_error("cannot create temp dir");
#endif
}

namespace {

// Gives the owner full rights on `dir` before entering it, so a test that took rights
// away does not keep the directory from being removed.
void RestoreRights(const std::filesystem::path& dir) {
  std::error_code error;
  std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, error);
  if (!std::filesystem::is_directory(std::filesystem::symlink_status(dir, error))) return;
  for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
       it.increment(error)) {
    RestoreRights(it->path());
  }
}

}  // namespace

TempDir::~TempDir() {
  RestoreRights(path_);
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempDir::File(const std::string& name) const { return path_ + "/" + name; }

std::string TempDir::MakeSubdir(const std::string& name) const {
  std::string sub = File(name);
  std::error_code error;
  std::filesystem::create_directory(sub, error);
  return sub;
}

std::string TempDir::FreshSubdir(const std::string& name) const {
  const std::string sub = File(name);
  RestoreRights(sub);
  std::error_code error;
  std::filesystem::remove_all(sub, error);
  std::filesystem::create_directory(sub, error);
  return sub;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return static_cast<bool>(out);
}

std::vector<std::string> ListFileNames(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace gvde::testkit
