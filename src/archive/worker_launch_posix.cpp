#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>
#include <system_error>

#include "archive/worker_launch.h"
#include "archive/worker_launch_path.h"
#include "archive/worker_server.h"

extern char** environ;

// Writing to a socket whose other end is gone must fail, not raise SIGPIPE in the program.
#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0
#endif

namespace gvde {

struct WorkerProcess::Handles {
  pid_t pid = -1;
  int socket = -1;
  bool streamEnded = false;  // the worker closed its end, or it broke
  bool timedOut = false;     // a wait reached its limit
};

namespace {

// Both ends stay off descriptors 0 to 2, which a failing library call may close, and off the
// worker's fixed descriptor, so that moving its end there clears close-on-exec.
int MoveAboveFixedDescriptors(int descriptor) {
  const int moved = fcntl(descriptor, F_DUPFD_CLOEXEC, kArchiveWorkerSocket + 1);
  close(descriptor);
  return moved;
}

// Close-on-exec from the start: another thread may start a program at the same moment.
bool MakeSocketPair(int (&ends)[2]) {
  int raw[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, raw) != 0) return false;
  ends[0] = MoveAboveFixedDescriptors(raw[0]);
  ends[1] = MoveAboveFixedDescriptors(raw[1]);
  if (ends[0] >= 0 && ends[1] >= 0) {
#ifdef SO_NOSIGPIPE
    const int on = 1;
    setsockopt(ends[0], SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
    setsockopt(ends[1], SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    return true;
  }
  if (ends[0] >= 0) close(ends[0]);
  if (ends[1] >= 0) close(ends[1]);
  return false;
}

// The worker's descriptors: no standard input or output, the parent's standard error (for the
// reports of a sanitizer), its socket end at the fixed descriptor and nothing else.
class SpawnActions {
 public:
  explicit SpawnActions(int workerEnd) {
    ok_ = posix_spawn_file_actions_init(&actions_) == 0;
    initialized_ = ok_;
    Add(posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0));
    Add(posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0));
    Add(posix_spawn_file_actions_adddup2(&actions_, workerEnd, kArchiveWorkerSocket));
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors that other code opened without close-on-exec stay out of the worker.
    Add(posix_spawn_file_actions_addclosefrom_np(&actions_, kArchiveWorkerSocket + 1));
#endif
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  ~SpawnActions() {
    if (initialized_) posix_spawn_file_actions_destroy(&actions_);
  }
  bool Ok() const { return ok_; }
  const posix_spawn_file_actions_t* Get() const { return &actions_; }

 private:
  void Add(int result) { ok_ = ok_ && result == 0; }

  posix_spawn_file_actions_t actions_{};
  bool initialized_ = false;
  bool ok_ = false;
};

// The worker starts with no blocked signals, whatever the starting thread had blocked.
class SpawnAttributes {
 public:
  SpawnAttributes() {
    ok_ = posix_spawnattr_init(&attributes_) == 0;
    initialized_ = ok_;
    sigset_t none;
    sigemptyset(&none);
    ok_ = ok_ && posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
          posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK) == 0;
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  ~SpawnAttributes() {
    if (initialized_) posix_spawnattr_destroy(&attributes_);
  }
  bool Ok() const { return ok_; }
  const posix_spawnattr_t* Get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_{};
  bool initialized_ = false;
  bool ok_ = false;
};

// Starts `program PARENT_PID` with `workerEnd` as its socket; 0 when started, else the error.
int SpawnWorker(const std::string& program, int workerEnd, pid_t& pid) {
  const SpawnActions actions(workerEnd);
  const SpawnAttributes attributes;
  if (!actions.Ok() || !attributes.Ok()) return ENOMEM;
  std::string programArgument = program;
  std::string parentArgument = std::to_string(getpid());
  char* arguments[] = {programArgument.data(), parentArgument.data(), nullptr};
  return posix_spawn(&pid, program.c_str(), actions.Get(), attributes.Get(), arguments, environ);
}

enum class Wait { Ready, TimedOut, Failed };

// Waits until the socket is ready for `events`, restarting after signals.
Wait WaitFor(int socket, short events, std::chrono::milliseconds limit) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return Wait::TimedOut;
    pollfd entry{socket, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
    if (ready > 0) return Wait::Ready;  // readiness, end of stream or an error: the next call tells
    if (ready < 0 && errno != EINTR) return Wait::Failed;
  }
}

// Reaps the worker once it has ended by itself, waiting at most `limit`; false when it is still
// running.
bool ReapWithin(pid_t pid, int& status, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const pid_t reaped = waitpid(pid, &status, WNOHANG);
    if (reaped == pid) return true;
    if (reaped < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (reaped == 0) usleep(1000);
  }
}

bool IsWouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

// How long a worker whose stream has ended may take to end by itself before it is killed.
constexpr std::chrono::milliseconds kEndGrace{1000};

}  // namespace

bool WorkerProcessesAvailable() { return true; }

WorkerProcess::WorkerProcess() : handles_(std::make_unique<Handles>()) {}

WorkerProcess::~WorkerProcess() { Kill(); }

std::string WorkerProcess::Start() {
  Kill();
  const WorkerProgram program = FindWorkerProgram();
  if (program.path.empty()) return program.problem;
  int ends[2];
  if (!MakeSocketPair(ends))
    return "cannot start " + program.path + ": " + std::generic_category().message(errno);
  pid_t pid = -1;
  const int error = SpawnWorker(program.path, ends[1], pid);
  close(ends[1]);
  handles_->pid = error == 0 ? pid : -1;
  handles_->socket = ends[0];
  if (error != 0) {
    Kill();
    return "cannot start " + program.path + ": " + std::generic_category().message(error);
  }
  // The parent never blocks in a call: it waits in poll, where the limit applies.
  if (fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK) != 0) {
    const int failed = errno;
    Kill();
    return "cannot start " + program.path + ": " + std::generic_category().message(failed);
  }
  return {};
}

std::size_t WorkerProcess::Send(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit) {
  while (handles_->socket >= 0) {
    const ssize_t sent = send(handles_->socket, data, size, MSG_NOSIGNAL);
    if (sent > 0) return static_cast<std::size_t>(sent);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && IsWouldBlock(errno)) {
      const Wait wait = WaitFor(handles_->socket, POLLOUT, limit);
      if (wait == Wait::Ready) continue;
      handles_->timedOut = wait == Wait::TimedOut;
      break;
    }
    handles_->streamEnded = true;  // EPIPE, ECONNRESET: the worker is gone
    break;
  }
  return 0;
}

std::size_t WorkerProcess::Receive(std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit) {
  while (handles_->socket >= 0) {
    const ssize_t received = recv(handles_->socket, data, size, 0);
    if (received > 0) return static_cast<std::size_t>(received);
    if (received < 0 && errno == EINTR) continue;
    if (received < 0 && IsWouldBlock(errno)) {
      const Wait wait = WaitFor(handles_->socket, POLLIN, limit);
      if (wait == Wait::Ready) continue;
      handles_->timedOut = wait == Wait::TimedOut;
      break;
    }
    handles_->streamEnded = true;  // 0 is the end of the stream: the worker is gone
    break;
  }
  return 0;
}

WorkerEnd WorkerProcess::Kill() {
  WorkerEnd end = handles_->timedOut ? WorkerEnd::Hung : WorkerEnd::Killed;
  if (handles_->socket >= 0) {
    close(handles_->socket);
    handles_->socket = -1;
  }
  if (handles_->pid > 0) {
    // A worker whose stream has ended is ending: its status tells how, once it is reaped.
    const auto grace =
        handles_->streamEnded && !handles_->timedOut ? kEndGrace : std::chrono::milliseconds(0);
    int status = 0;
    if (ReapWithin(handles_->pid, status, grace)) {
      end = WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS ? WorkerEnd::Refused : WorkerEnd::Ended;
    } else {
      // Only a worker not yet reaped is signalled: its number cannot belong to another process.
      kill(handles_->pid, SIGKILL);
      while (waitpid(handles_->pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
    handles_->pid = -1;
  }
  handles_->streamEnded = false;
  handles_->timedOut = false;
  return end;
}

}  // namespace gvde
