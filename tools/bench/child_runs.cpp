#include "child_runs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace bench {

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

double Seconds(const timeval& tv) {
  return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

// Runs `cli [option] --keep-going game/ site/` with `dir` as working directory; standard output
// and error go to dir/run.out and dir/run.err.
RunSample RunCli(const std::string& cli, const std::string& option, const std::string& dir) {
  RunSample sample;
  const std::string outPath = dir + "/run.out";
  const std::string errPath = dir + "/run.err";
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return sample;
  const bool prepared = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
                        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(),
                                                         O_WRONLY | O_CREAT | O_TRUNC, 0644) == 0 &&
                        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(),
                                                         O_WRONLY | O_CREAT | O_TRUNC, 0644) == 0 &&
                        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str()) == 0;
  std::vector<std::string> words = {cli};
  if (!option.empty()) words.push_back(option);
  for (const char* word : {"--keep-going", "game/", "site/"}) words.emplace_back(word);
  std::vector<char*> args;
  for (std::string& word : words) args.push_back(word.data());
  args.push_back(nullptr);
  const double start = Now();
  pid_t pid = -1;
  const bool spawned =
      prepared && posix_spawn(&pid, cli.c_str(), &actions, nullptr, args.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!spawned) return sample;
  int status = 0;
  rusage usage{};
  pid_t waited = 0;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  sample.wall = Now() - start;
  if (waited != pid) return sample;
  sample.user = Seconds(usage.ru_utime);
  sample.system = Seconds(usage.ru_stime);
  sample.maxRssKiB = usage.ru_maxrss;
  std::string out = ReadText(outPath);
  sample.done = WIFEXITED(status) && WEXITSTATUS(status) == 0 && out.find("Done\n") != std::string::npos;
  return sample;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
  char* at = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = ::read(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteString(int fd, const std::string& text) {
  const std::uint32_t size = static_cast<std::uint32_t>(text.size());
  return WriteAll(fd, &size, sizeof size) && WriteAll(fd, text.data(), text.size());
}

bool ReadString(int fd, std::string& text) {
  std::uint32_t size = 0;
  if (!ReadAll(fd, &size, sizeof size) || size > 65536) return false;
  text.assign(size, '\0');
  return ReadAll(fd, text.data(), size);
}

constexpr int kRequestFd = 3;
constexpr int kReplyFd = 4;

}  // namespace

Launcher::~Launcher() {
  if (pid_ <= 0) return;
  ::close(request_);
  ::close(reply_);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

bool Launcher::Start() {
  int toChild[2];
  int toParent[2];
  if (::pipe2(toChild, O_CLOEXEC) != 0) return false;
  if (::pipe2(toParent, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  // The child's ends are moved above the fixed numbers first, so that no dup2 maps a
  // descriptor onto itself and keeps its close-on-exec flag.
  const int childRequest = ::fcntl(toChild[0], F_DUPFD_CLOEXEC, 10);
  const int childReply = ::fcntl(toParent[1], F_DUPFD_CLOEXEC, 10);
  const bool prepared = childRequest >= 0 && childReply >= 0 &&
                        posix_spawn_file_actions_adddup2(&actions, childRequest, kRequestFd) == 0 &&
                        posix_spawn_file_actions_adddup2(&actions, childReply, kReplyFd) == 0;
  char self[] = "/proc/self/exe";
  std::string serve = kServeRuns;
  char* args[] = {self, serve.data(), nullptr};
  const bool spawned = prepared && posix_spawn(&pid_, self, &actions, nullptr, args, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  for (const int fd : {toChild[0], toParent[1], childRequest, childReply}) {
    if (fd >= 0) ::close(fd);
  }
  request_ = toChild[1];
  reply_ = toParent[0];
  if (!spawned) pid_ = -1;
  return spawned;
}

int Launcher::Serve() {
  std::string cli;
  std::string option;
  std::string dir;
  while (ReadString(kRequestFd, cli) && ReadString(kRequestFd, option) && ReadString(kRequestFd, dir)) {
    const RunSample sample = RunCli(cli, option, dir);
    if (!WriteAll(kReplyFd, &sample, sizeof sample)) return 1;
  }
  return 0;
}

RunSample Launcher::Run(const std::string& cli, const std::string& option, const std::string& dir) {
  RunSample sample;
  if (!WriteString(request_, cli) || !WriteString(request_, option) || !WriteString(request_, dir) ||
      !ReadAll(reply_, &sample, sizeof sample)) {
    return RunSample{};
  }
  return sample;
}

}  // namespace bench
