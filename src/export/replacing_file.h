// Files that replace their earlier content whole or not at all: each is written under a
// temporary name beside its own ("<path>.tmp") and renamed over its path only when every file
// of the set was written, so a reader sees either the earlier file or the whole new one. The
// data document and the CSV tables are written through it.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace gvde {

class ReplacingFiles {
 public:
  ReplacingFiles() = default;
  ReplacingFiles(const ReplacingFiles&) = delete;
  ReplacingFiles& operator=(const ReplacingFiles&) = delete;
  // Removes the temporary files that were not renamed.
  ~ReplacingFiles();

  // Starts the file for `path`; false when its temporary file cannot be created.
  bool Begin(const std::string& path);
  // Appends to the file begun last.
  void Write(std::string_view piece);
  // Closes the file begun last; false when it was not written whole, or when `made` is false
  // (its content could not be made).
  bool End(bool made = true);
  // Renames every file over its path, in the order begun; false at the first that cannot be.
  bool Commit();

  // The path of the file that failed last (Begin, End or Commit).
  const std::string& FailedPath() const { return failedPath_; }

 private:
  struct Pending {
    std::string path;
    std::string temporary;
    bool renamed = false;
  };
  bool Fail(const std::string& path);

  std::deque<Pending> files_;
  OutputFile current_;
  std::string failedPath_;
};

}  // namespace gvde
