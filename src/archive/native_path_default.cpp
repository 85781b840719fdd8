#ifndef __WINE__

#include "archive/native_path.h"

namespace gvde {

std::string NativeArchivePath(const std::string& path) { return path; }

}  // namespace gvde

#endif
