#include "archive/worker_confinement.h"

#ifdef __linux__

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace gvde {
namespace {

// A descriptor closed on every way out.
class Descriptor {
 public:
  explicit Descriptor(long descriptor) : descriptor_(static_cast<int>(descriptor)) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  int Get() const { return descriptor_; }

 private:
  int descriptor_;
};

// Every access to files that this kernel's Landlock version (`abi`) can govern: whatever the
// rules do not grant is then refused.
std::uint64_t GovernedAccess(long abi) {
  std::uint64_t access =
      LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_READ_FILE |
      LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE |
      LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
      LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK |
      LANDLOCK_ACCESS_FS_MAKE_SYM;
#ifdef LANDLOCK_ACCESS_FS_REFER
  if (abi >= 2) access |= LANDLOCK_ACCESS_FS_REFER;
#endif
#ifdef LANDLOCK_ACCESS_FS_TRUNCATE
  if (abi >= 3) access |= LANDLOCK_ACCESS_FS_TRUNCATE;
#endif
#ifdef LANDLOCK_ACCESS_FS_IOCTL_DEV
  if (abi >= 5) access |= LANDLOCK_ACCESS_FS_IOCTL_DEV;
#endif
  return access;
}

// Grants reading the file at `path`; a file that is not there is left out (it cannot be
// opened then either).
void GrantReading(int ruleset, const std::string& path) {
  const Descriptor file(open(path.c_str(), O_PATH | O_CLOEXEC));
  if (file.Get() < 0) return;
  landlock_path_beneath_attr rule{};
  rule.allowed_access = LANDLOCK_ACCESS_FS_READ_FILE;
  rule.parent_fd = file.Get();
  syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
}

}  // namespace

bool LimitFilesToArchives(const std::string& gamePath, const std::string& basePath) {
  const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  if (abi < 1) return false;
  landlock_ruleset_attr attributes{};
  attributes.handled_access_fs = GovernedAccess(abi);
  const Descriptor ruleset(syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0));
  if (ruleset.Get() < 0) return false;
  GrantReading(ruleset.Get(), gamePath);
  GrantReading(ruleset.Get(), basePath);
  // Landlock asks for it; the filter that follows sets it too.
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
  return syscall(SYS_landlock_restrict_self, ruleset.Get(), 0) == 0;
}

}  // namespace gvde

#else

namespace gvde {

bool LimitFilesToArchives(const std::string&, const std::string&) { return false; }

}  // namespace gvde

#endif
