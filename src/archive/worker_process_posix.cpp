#ifndef _WIN32

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <atomic>
#include <climits>

#include "archive/archive_worker.h"
#include "archive/worker_process.h"

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

std::atomic<long long> waitLimitMilliseconds{kWorkerWaitLimit.count()};

// Keeps both ends off descriptors 0 to 2, which a failing library call may close, and out of
// programs this one might start.
int MoveAboveStandardDescriptors(int descriptor) {
  const int moved = fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
  close(descriptor);
  return moved;
}

bool MakeSocketPair(int (&ends)[2]) {
  int raw[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, raw) != 0) return false;
  ends[0] = MoveAboveStandardDescriptors(raw[0]);
  ends[1] = MoveAboveStandardDescriptors(raw[1]);
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

// The worker's end: plain blocking reads and writes. The worker only ever waits for its parent.
class BlockingSocket final : public ByteLink {
 public:
  explicit BlockingSocket(int socket) : socket_(socket) {}
  bool Write(const std::uint8_t* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t sent = send(socket_, data, size, MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) return false;
      data += sent;
      size -= static_cast<std::size_t>(sent);
    }
    return true;
  }
  bool Read(std::uint8_t* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t received = recv(socket_, data, size, 0);
      if (received < 0 && errno == EINTR) continue;
      if (received <= 0) return false;
      data += received;
      size -= static_cast<std::size_t>(received);
    }
    return true;
  }

 private:
  int socket_;
};

[[noreturn]] void RunWorker(int socket, pid_t parent) {
#ifdef __linux__
  // A worker stuck in the library must not outlive a parent that died.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  if (getppid() != parent) _exit(1);
  BlockingSocket link(socket);
  // _exit: the parent's buffers and exit handlers are not the worker's to run.
  _exit(ServeArchiveRequests(link));
}

// Waits until the socket is ready for `events`, restarting after signals; false when nothing
// happened within the wait limit.
bool WaitFor(int socket, short events) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + WorkerWaitLimit();
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

std::chrono::milliseconds WorkerWaitLimit() {
  return std::chrono::milliseconds(waitLimitMilliseconds.load());
}

void SetWorkerWaitLimit(std::chrono::milliseconds limit) { waitLimitMilliseconds.store(limit.count()); }

bool WorkerProcessesAvailable() { return true; }

bool IsArchiveWorkerInvocation() { return false; }

int RunArchiveWorker() { return 1; }

WorkerProcess::WorkerProcess() : handles_(std::make_unique<Handles>()) {}

WorkerProcess::~WorkerProcess() { Kill(); }

bool WorkerProcess::Start() {
  Kill();
  int ends[2];
  if (!MakeSocketPair(ends)) return false;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    RunWorker(ends[1], parent);
  }
  close(ends[1]);
  // The parent never blocks in a call: it waits in poll, where the limit applies.
  if (pid < 0 || fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK) != 0) {
    close(ends[0]);
    handles_->pid = pid;
    Kill();
    return false;
  }
  handles_->pid = pid;
  handles_->socket = ends[0];
  return true;
}

bool WorkerProcess::Write(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    if (handles_->socket < 0) return false;
    const ssize_t sent = send(handles_->socket, data, size, MSG_NOSIGNAL);
    if (sent > 0) {
      data += sent;
      size -= static_cast<std::size_t>(sent);
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent < 0 && IsWouldBlock(errno)) {
      if (!WaitFor(handles_->socket, POLLOUT)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool WorkerProcess::Read(std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    if (handles_->socket < 0) return false;
    const ssize_t received = recv(handles_->socket, data, size, 0);
    if (received > 0) {
      data += received;
      size -= static_cast<std::size_t>(received);
    } else if (received < 0 && errno == EINTR) {
      continue;
    } else if (received < 0 && IsWouldBlock(errno)) {
      if (!WaitFor(handles_->socket, POLLIN)) return false;
    } else {
      return false;  // the end of the stream: the worker is gone
    }
  }
  return true;
}

void WorkerProcess::Finish() {
  // The worker's end closes when it exits; until then nothing more arrives.
  std::uint8_t stray = 0;
  while (Read(&stray, 1)) {
  }
  Kill();
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

#endif
