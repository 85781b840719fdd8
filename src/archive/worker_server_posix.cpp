#include <errno.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/worker_confinement.h"
#include "archive/worker_server.h"

#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0
#endif

namespace gvde {
namespace {

// The worker's end: plain blocking calls. The worker only ever waits for its parent.
class SocketLink final : public ByteLink {
 public:
  explicit SocketLink(int socket) : socket_(socket) {}

 private:
  std::size_t WriteSome(const std::uint8_t* data, std::size_t size) override {
    for (;;) {
      const ssize_t sent = send(socket_, data, size, MSG_NOSIGNAL);
      if (sent > 0) return static_cast<std::size_t>(sent);
      if (sent == 0 || errno != EINTR) return 0;
    }
  }
  std::size_t ReadSome(std::uint8_t* data, std::size_t size) override {
    for (;;) {
      const ssize_t received = recv(socket_, data, size, 0);
      if (received > 0) return static_cast<std::size_t>(received);
      if (received == 0 || errno != EINTR) return 0;
    }
  }

  int socket_;
};

// The parent's process number from its decimal text; 0 when it is none.
pid_t ParentFromText(const char* text) {
  const std::string digits(text);
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  return static_cast<pid_t>(std::stol(digits));
}

bool IsSocket(int descriptor) {
  struct stat status {};
  return fstat(descriptor, &status) == 0 && S_ISSOCK(status.st_mode);
}

}  // namespace

int RunArchiveWorkerProgram(int argc, char** argv) {
#ifdef __linux__
  // First thing: a worker stuck in the library must not outlive the parent that started it.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  const pid_t parent = argc == 2 ? ParentFromText(argv[1]) : 0;
  if (parent <= 0 || !IsSocket(kArchiveWorkerSocket)) {
    std::fputs("gvde-archive-worker: reads the game archives for gvde-cli; not started by hand\n", stderr);
    return 2;
  }
  // A parent that died before the request above took effect: nobody would end this process.
  if (getppid() != parent) return 1;
  SocketLink link(kArchiveWorkerSocket);
  const int status = ServeArchiveRequests(link, {ConfineWorkerToArchives, ConfineWorkerToReading});
  // Exit handlers are not for a confined process: a leak checker's would start a thread.
  _exit(status);
}

}  // namespace gvde
