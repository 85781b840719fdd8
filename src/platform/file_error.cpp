#include "platform/file_error.h"

#include <utility>

namespace gvde {

namespace {

thread_local FileError lastError;

}  // namespace

const FileError& LastFileError() { return lastError; }

void RecordFileError(const std::string& path, std::string reason) {
  lastError.path = path;
  lastError.reason = std::move(reason);
}

void ClearFileError() { lastError = {}; }

std::string DescribeFileError(const std::string& path) {
  if (path.empty() || lastError.path != path || lastError.reason.empty()) return {};
  return path + ": " + lastError.reason;
}

}  // namespace gvde
