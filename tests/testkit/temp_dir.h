// A fresh, empty directory per test, removed with everything in it when the object dies. It is
// made on a memory file system where there is one, because whole runs create and replace
// thousands of files.
#pragma once

#include <string>
#include <vector>

namespace gvde::testkit {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string File(const std::string& name) const;
  // path() + "/": the form the run keeps as its output directory.
  std::string WithSeparator() const { return path_ + "/"; }
  // Creates path()/name (one level) and returns it.
  std::string MakeSubdir(const std::string& name) const;
  // Removes path()/name with everything in it and creates it again, empty; returns it.
  std::string FreshSubdir(const std::string& name) const;

 private:
  std::string path_;
};

// The whole file as text; empty when it cannot be read.
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);
// The names in the folder `dir` (files, folders, links), sorted; empty when it cannot be read.
std::vector<std::string> ListFileNames(const std::string& dir);
// Writes `text` to `path`, replacing the file; false on failure.
bool WriteFileText(const std::string& path, const std::string& text);

}  // namespace gvde::testkit
