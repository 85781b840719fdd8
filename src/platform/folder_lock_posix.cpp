#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/folder_lock.h"

namespace gvde {

FolderLock::~FolderLock() { Release(); }

FolderLock::Outcome FolderLock::Lock(const std::string& folder) {
  Release();
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Outcome::Unavailable;
  int locked = 0;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const bool inUse = errno == EWOULDBLOCK;
    ::close(fd);
    return inUse ? Outcome::InUse : Outcome::Unavailable;
  }
  handle_ = fd;
  return Outcome::Locked;
}

// Closing the folder ends the lock.
void FolderLock::Release() {
  if (handle_ < 0) return;
  ::close(static_cast<int>(handle_));
  handle_ = -1;
}

}  // namespace gvde
