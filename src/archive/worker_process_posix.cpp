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

#include "archive/archive_worker.h"
#include "archive/worker_process.h"
#include "archive/worker_program_path.h"

extern char** environ;

// Writing to a socket whose other end is gone must fail, not raise SIGPIPE in the program.
#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0
#endif

namespace gvde {

struct WorkerProcess::Handles {
  pid_t pid = -1;
  int socket = -1;
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

// Starts `program PARENT_PID` with `workerEnd` as its socket; -1 when it cannot be started.
pid_t SpawnWorker(const std::string& program, int workerEnd) {
  const SpawnActions actions(workerEnd);
  const SpawnAttributes attributes;
  if (!actions.Ok() || !attributes.Ok()) return -1;
  std::string programArgument = program;
  std::string parentArgument = std::to_string(getpid());
  char* arguments[] = {programArgument.data(), parentArgument.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), actions.Get(), attributes.Get(), arguments, environ) != 0) return -1;
  return pid;
}

// Waits until the socket is ready for `events`, restarting after signals; false when nothing
// happened within `limit`.
bool WaitFor(int socket, short events, std::chrono::milliseconds limit) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd entry{socket, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
    if (ready > 0) return true;  // readiness, end of stream or an error: the next call tells
    if (ready < 0 && errno != EINTR) return false;
  }
}

bool IsWouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

}  // namespace

bool WorkerProcessesAvailable() { return true; }

WorkerProcess::WorkerProcess() : handles_(std::make_unique<Handles>()) {}

WorkerProcess::~WorkerProcess() { Kill(); }

bool WorkerProcess::Start() {
  Kill();
  const std::string program = WorkerProgramPath();
  if (program.empty()) return false;
  int ends[2];
  if (!MakeSocketPair(ends)) return false;
  const pid_t pid = SpawnWorker(program, ends[1]);
  close(ends[1]);
  handles_->pid = pid;
  handles_->socket = ends[0];
  // The parent never blocks in a call: it waits in poll, where the limit applies.
  if (pid < 0 || fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK) != 0) {
    Kill();
    return false;
  }
  return true;
}

std::size_t WorkerProcess::Send(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit) {
  while (handles_->socket >= 0) {
    const ssize_t sent = send(handles_->socket, data, size, MSG_NOSIGNAL);
    if (sent > 0) return static_cast<std::size_t>(sent);
    if (sent < 0 && errno == EINTR) continue;
    if (sent == 0 || !IsWouldBlock(errno) || !WaitFor(handles_->socket, POLLOUT, limit)) break;
  }
  return 0;
}

std::size_t WorkerProcess::Receive(std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit) {
  while (handles_->socket >= 0) {
    const ssize_t received = recv(handles_->socket, data, size, 0);
    if (received > 0) return static_cast<std::size_t>(received);
    if (received < 0 && errno == EINTR) continue;
    // 0 is the end of the stream: the worker is gone.
    if (received == 0 || !IsWouldBlock(errno) || !WaitFor(handles_->socket, POLLIN, limit)) break;
  }
  return 0;
}

void WorkerProcess::Kill() {
  if (handles_->socket >= 0) {
    close(handles_->socket);
    handles_->socket = -1;
  }
  if (handles_->pid > 0) {
    // Only a worker not yet reaped is signalled: its number cannot belong to another process.
    pid_t reaped = 0;
    while ((reaped = waitpid(handles_->pid, nullptr, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (reaped == 0) {
      kill(handles_->pid, SIGKILL);
      while (waitpid(handles_->pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
    handles_->pid = -1;
  }
}

}  // namespace gvde
