// Runs a program as a user would, and tells how much memory it took at its peak; optionally
// under a limit on its address space, as a machine short of memory would run it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gvde::testkit {

// Sanitizer builds reserve large address ranges and keep freed memory aside: an address
// limit cannot be applied to them and their peak memory says little.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#else
inline constexpr bool kSanitizedBuild = false;
#endif

struct MeasuredRun {
  int exitCode = -1;    // -1 when it did not exit normally
  int signal = 0;       // the signal that ended it, if one did
  std::string err;      // what it wrote to stderr
  std::uint64_t peakKiB = 0;  // its largest resident size, and that of the children it waited for
};

// Runs `program` with `args` in `cwd`, stdin from /dev/null, stdout discarded. With
// `addressLimitKiB` > 0 its address space is limited to that many KiB.
MeasuredRun RunMeasured(const std::string& cwd, const std::string& program, const std::vector<std::string>& args,
                        std::uint64_t addressLimitKiB = 0);

}  // namespace gvde::testkit
