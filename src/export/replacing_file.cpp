#include "export/replacing_file.h"

namespace gvde {

ReplacingFiles::~ReplacingFiles() {
  current_.Close();
  for (const Pending& file : files_) {
    if (!file.renamed) RemoveFile(file.temporary);
  }
}

bool ReplacingFiles::Fail(const std::string& path) {
  failedPath_ = path;
  return false;
}

bool ReplacingFiles::Begin(const std::string& path) {
  current_.Close();
  files_.push_back({path, path + ".tmp"});
  return current_.Create(files_.back().temporary) || Fail(path);
}

void ReplacingFiles::Write(std::string_view piece) { current_.Write(piece); }

bool ReplacingFiles::End(bool made) {
  if (files_.empty()) return false;
  const bool closed = current_.Close();
  return (closed && made) || Fail(files_.back().path);
}

bool ReplacingFiles::Commit() {
  for (Pending& file : files_) {
    if (!RenameOver(file.temporary, file.path)) return Fail(file.path);
    file.renamed = true;
  }
  return true;
}

}  // namespace gvde
