#include "export/replacing_file.h"

#include <optional>
#include <utility>

#include "platform/file_error.h"
#include "platform/file_targets.h"

namespace gvde {

namespace {

std::string TemporaryFileDetail(const std::string& temporary) {
  const std::string described = DescribeFileError(temporary);
  return described.empty() ? std::string() : "temporary file " + described;
}

}  // namespace

ReplacingFiles::~ReplacingFiles() {
  current_.Close();
  for (const Pending& file : files_) {
    if (!file.temporary.empty() && !file.renamed) RemoveFile(file.temporary);
  }
}

bool ReplacingFiles::Fail(const std::string& path, std::string detail) {
  failedPath_ = path;
  failureDetail_ = std::move(detail);
  return false;
}

bool ReplacingFiles::Begin(const std::string& path) {
  current_.Close();
  ClearFileError();
  Pending file;
  file.path = path == kStandardOutputName ? std::string(kStandardOutputText) : path;
  const bool begun = path == kStandardOutputName
                         ? current_.OpenStandardOutput(file.path) || Fail(file.path, DescribeFileError(file.path))
                         : Begin(file);
  files_.push_back(std::move(file));
  return begun;
}

// The temporary file goes beside the file the links lead to, so that the rename stays on its
// file system and replaces that file, not the link.
bool ReplacingFiles::Begin(Pending& file) {
  const std::optional<LinkEnd> end = FollowLinks(file.path);
  if (!end) return Fail(file.path, DescribeFileError(file.path));
  switch (end->kind) {
    case PathKind::Folder:
      return Fail(file.path, file.path + ": Is a directory");
    case PathKind::Other:
      return current_.OpenInPlace(file.path) || Fail(file.path, DescribeFileError(file.path));
    case PathKind::Missing:
    case PathKind::PlainFile:
      break;
  }
  file.target = end->path;
  if (!current_.CreateUnique(end->path + ".", ".tmp")) {
    return Fail(file.path, TemporaryFileDetail(current_.Path()));
  }
  file.temporary = current_.Path();
  return true;
}

void ReplacingFiles::Write(std::string_view piece) { current_.Write(piece); }

bool ReplacingFiles::End(bool made) {
  if (files_.empty()) return false;
  const bool closed = current_.Close();
  const Pending& file = files_.back();
  if (!made) return Fail(file.path, file.path + ": its content could not be made");
  if (closed) return true;
  return Fail(file.path, file.temporary.empty() ? DescribeFileError(current_.Path()) : TemporaryFileDetail(file.temporary));
}

bool ReplacingFiles::Commit(const std::function<bool()>& interrupted) {
  if (interrupted && interrupted()) {
    interrupted_ = true;
    return false;
  }
  for (Pending& file : files_) {
    if (file.temporary.empty()) continue;
    if (!RenameOver(file.temporary, file.target)) return Fail(file.path, DescribeFileError(file.target));
    file.renamed = true;
  }
  return true;
}

}  // namespace gvde
