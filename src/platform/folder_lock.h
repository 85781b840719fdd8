// One run per output folder: a lock that other processes see while this one writes there.
// POSIX: flock on the folder itself (no file is added); Windows: a named mutex made from the
// folder's full path.
#pragma once

#include <cstdint>
#include <string>

namespace gvde {

class FolderLock {
 public:
  enum class Outcome {
    Locked,       // held until the lock is destroyed
    InUse,        // another process holds it
    Unavailable,  // the folder cannot be locked (missing, no access, no lock support): not held
  };

  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Tries once, without waiting. A folder that is a link is locked where the link leads.
  Outcome Lock(const std::string& folder);
  // True while the lock is held.
  bool Held() const { return handle_ != -1; }

 private:
  void Release();

  std::intptr_t handle_ = -1;
};

}  // namespace gvde
