// The path that a native library (StormLib) can open for a path held by the program.
#pragma once

#include <string>

namespace gvde {

// On POSIX and on Windows the path itself. In a winelib build the program holds Windows paths
// ("Z:\..."), which the native library cannot open: they are converted to Unix paths. An empty
// result means the path cannot be converted and so cannot be opened.
std::string NativeArchivePath(const std::string& path);

}  // namespace gvde
