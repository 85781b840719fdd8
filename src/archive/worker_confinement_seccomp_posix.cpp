#include "archive/worker_confinement.h"

#ifdef __linux__

#include <fcntl.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <initializer_list>

#include "archive/worker_server.h"

// The sanitizers' runtime reports through more calls than the worker itself makes.
#if defined(__SANITIZE_ADDRESS__)
#define GVDE_SANITIZER_RUNTIME 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GVDE_SANITIZER_RUNTIME 1
#endif
#endif

namespace gvde {
namespace {

// The filter while it is built: every call not added ends the process.
class Filter {
 public:
  Filter() : context_(seccomp_init(SCMP_ACT_KILL_PROCESS)) {}
  Filter(const Filter&) = delete;
  Filter& operator=(const Filter&) = delete;
  ~Filter() {
    if (context_ != nullptr) seccomp_release(context_);
  }

  void Allow(int call) { Add(SCMP_ACT_ALLOW, call, {}); }
  // Allowed when argument `index` equals `value`.
  void AllowWhen(int call, unsigned index, scmp_datum_t value) {
    Add(SCMP_ACT_ALLOW, call, {scmp_arg_cmp{index, SCMP_CMP_EQ, value, 0}});
  }
  // Allowed when argument `index` has none of the bits of `mask`.
  void AllowWithNone(int call, unsigned index, scmp_datum_t mask) {
    Add(SCMP_ACT_ALLOW, call, {scmp_arg_cmp{index, SCMP_CMP_MASKED_EQ, mask, 0}});
  }
  // Allowed when argument `index` is below `value`.
  void AllowBelow(int call, unsigned index, scmp_datum_t value) {
    Add(SCMP_ACT_ALLOW, call, {scmp_arg_cmp{index, SCMP_CMP_LT, value, 0}});
  }
  // Allowed when argument `index` has every bit of `bits` and argument `other` is below `value`.
  void AllowWithAllBelow(int call, unsigned index, scmp_datum_t bits, unsigned other, scmp_datum_t value) {
    Add(SCMP_ACT_ALLOW, call,
        {scmp_arg_cmp{index, SCMP_CMP_MASKED_EQ, bits, bits}, scmp_arg_cmp{other, SCMP_CMP_LT, value, 0}});
  }
  // The call fails with `error` instead of ending the process.
  void Fail(int call, int error) { Add(SCMP_ACT_ERRNO(static_cast<std::uint32_t>(error)), call, {}); }
  void Refuse(int call) { Fail(call, EPERM); }

  bool Load() { return ok_ && context_ != nullptr && seccomp_load(context_) == 0; }

 private:
  void Add(std::uint32_t action, int call, std::initializer_list<scmp_arg_cmp> conditions) {
    const auto count = static_cast<unsigned>(conditions.size());
    ok_ = ok_ && context_ != nullptr &&
          seccomp_rule_add_array(context_, action, call, count, conditions.begin()) == 0;
  }

  scmp_filter_ctx context_;
  bool ok_ = true;
};

// Descriptors 0 to 2^31 - 1: a negative one (AT_FDCWD among them) names the working folder.
constexpr scmp_datum_t kFirstNegativeDescriptor = 0x80000000u;
// Flags of an open that writes, creates or truncates.
constexpr scmp_datum_t kWritingOpen =
    O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND | (O_TMPFILE & ~O_DIRECTORY);

// The archive files stay open; the library reads them and closes them at the end. Queries on an
// open descriptor must not depend on the call a C library makes for them: fstat() is fstat on
// older ones and newfstatat(fd, "", AT_EMPTY_PATH) on newer ones (glibc 2.33 and later), which
// is allowed only on a descriptor; statx fails as on a kernel without it, which callers handle.
void AllowReadingOpenFiles(Filter& filter) {
  for (const int call : {SCMP_SYS(read), SCMP_SYS(pread64), SCMP_SYS(readv), SCMP_SYS(lseek), SCMP_SYS(fstat),
                         SCMP_SYS(close), SCMP_SYS(getrandom)}) {
    filter.Allow(call);
  }
  filter.AllowWithAllBelow(SCMP_SYS(newfstatat), 3, AT_EMPTY_PATH, 0, kFirstNegativeDescriptor);
  filter.Fail(SCMP_SYS(statx), ENOSYS);
}

// The allocator's calls; no memory becomes executable.
void AllowMemory(Filter& filter) {
  for (const int call : {SCMP_SYS(brk), SCMP_SYS(munmap), SCMP_SYS(mremap), SCMP_SYS(madvise)}) {
    filter.Allow(call);
  }
  filter.AllowWithNone(SCMP_SYS(mmap), 2, PROT_EXEC);
  filter.AllowWithNone(SCMP_SYS(mprotect), 2, PROT_EXEC);
}

// Replies go to the socket, reports of a failure to standard error; a failure may end the
// process by abort().
void AllowAnsweringAndEnding(Filter& filter) {
  for (const int call : {SCMP_SYS(sendto), SCMP_SYS(recvfrom)}) {
    filter.AllowWhen(call, 0, kArchiveWorkerSocket);
  }
#ifndef GVDE_SANITIZER_RUNTIME
  for (const int call : {SCMP_SYS(write), SCMP_SYS(writev)}) filter.AllowWhen(call, 0, STDERR_FILENO);
#endif
  for (const int call :
       {SCMP_SYS(futex), SCMP_SYS(sched_yield), SCMP_SYS(clock_gettime), SCMP_SYS(clock_nanosleep),
        SCMP_SYS(nanosleep), SCMP_SYS(restart_syscall), SCMP_SYS(rt_sigreturn), SCMP_SYS(rt_sigprocmask),
        SCMP_SYS(rt_sigaction), SCMP_SYS(getpid), SCMP_SYS(gettid), SCMP_SYS(exit), SCMP_SYS(exit_group)}) {
    filter.Allow(call);
  }
  filter.AllowWhen(SCMP_SYS(tgkill), 0, static_cast<scmp_datum_t>(getpid()));
}

// Before the archives are open: files are opened to be read, nothing else (Landlock narrows
// which ones where the kernel has it), and the second step can still be installed. Another
// filter only narrows what the process may do.
void AllowOpeningToRead(Filter& filter) {
  filter.AllowWithNone(SCMP_SYS(openat), 2, kWritingOpen);
  filter.AllowWithNone(SCMP_SYS(open), 1, kWritingOpen);
  filter.AllowWhen(SCMP_SYS(prctl), 0, PR_SET_NO_NEW_PRIVS);
  filter.Allow(SCMP_SYS(seccomp));
}

#ifdef GVDE_SANITIZER_RUNTIME
// The sanitizers' runtime tests whether memory is readable by writing it into a pipe (the
// type checks of virtual calls do); that needs a pipe and writes to any descriptor. A report
// also looks up the program's files and starts a symbolizer: refused, it prints the frames as
// module and offset instead. While files may still be opened to read, the first step decides
// about opening.
void AllowTheSanitizerRuntime(Filter& filter, bool opensToRead) {
  for (const int call :
       {SCMP_SYS(pipe), SCMP_SYS(pipe2), SCMP_SYS(write), SCMP_SYS(writev), SCMP_SYS(sigaltstack)}) {
    filter.Allow(call);
  }
  for (const int call :
       {SCMP_SYS(readlink), SCMP_SYS(readlinkat), SCMP_SYS(ioctl), SCMP_SYS(clone), SCMP_SYS(clone3),
        SCMP_SYS(fork), SCMP_SYS(vfork), SCMP_SYS(execve), SCMP_SYS(execveat)}) {
    filter.Refuse(call);
  }
  if (!opensToRead) {
    for (const int call : {SCMP_SYS(openat), SCMP_SYS(open)}) filter.Refuse(call);
  }
}
#endif

bool LoadFilter(bool opensToRead) {
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
  Filter filter;
  AllowReadingOpenFiles(filter);
  AllowMemory(filter);
  AllowAnsweringAndEnding(filter);
  if (opensToRead) AllowOpeningToRead(filter);
#ifdef GVDE_SANITIZER_RUNTIME
  AllowTheSanitizerRuntime(filter, opensToRead);
#endif
  return filter.Load();
}

}  // namespace

bool ConfineWorkerToArchives(const std::string& gamePath, const std::string& basePath) {
  LimitFilesToArchives(gamePath, basePath);
  return LoadFilter(true);
}

bool ConfineWorkerToReading() { return LoadFilter(false); }

}  // namespace gvde

#else

namespace gvde {

bool ConfineWorkerToArchives(const std::string&, const std::string&) { return true; }
bool ConfineWorkerToReading() { return true; }

}  // namespace gvde

#endif
