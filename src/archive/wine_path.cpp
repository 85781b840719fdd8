#ifdef __WINE__

// Keep <windows.h> from defining min and max macros that break the standard headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

#include "archive/native_path.h"

namespace gvde {

std::string NativeArchivePath(const std::string& path) {
  if (path.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::vector<WCHAR> wide(static_cast<std::size_t>(length));
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length) != length) return {};
  char* unixPath = wine_get_unix_file_name(wide.data());
  if (unixPath == nullptr) return {};
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

}  // namespace gvde

#endif
