// Why a file call of this layer failed: like errno, each failing call records the path it was
// given and the system's reason, per thread; calls that succeed leave the record alone.
#pragma once

#include <string>

namespace gvde {

struct FileError {
  std::string path;
  std::string reason;
};

// The last failure recorded on this thread (empty path when there is none).
const FileError& LastFileError();

void RecordFileError(const std::string& path, std::string reason);
void ClearFileError();

// "path: reason" when the last failure on this thread was on `path`; empty when it is unknown.
std::string DescribeFileError(const std::string& path);

// The system's reason for the error code of the failed call just made (errno, or
// GetLastError on Windows).
std::string LastSystemErrorText();

}  // namespace gvde
