// Keep <windows.h> from defining min and max macros that break the standard headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "archive/worker_launch.h"
#include "archive/worker_server.h"
#include "archive/worker_transfer_buffer_win32.h"

// The worker's side on Windows: this program, started again with kArchiveWorkerFlag, serving
// the parent over the pipe that is its standard input and output.
namespace gvde {
namespace {

std::atomic<bool> servesAsOwnWorker{false};

// True when the command line ends with a space and kArchiveWorkerFlag.
bool EndsWithWorkerFlag(const WCHAR* line) {
  const std::size_t flagLength = std::strlen(kArchiveWorkerFlag);
  std::size_t length = 0;
  while (line[length] != 0) ++length;
  if (length < flagLength + 1) return false;
  const WCHAR* tail = line + (length - flagLength);
  if (tail[-1] != L' ') return false;
  for (std::size_t i = 0; i < flagLength; ++i) {
    if (tail[i] != static_cast<WCHAR>(static_cast<unsigned char>(kArchiveWorkerFlag[i]))) return false;
  }
  return true;
}

// The worker's end: plain synchronous reads and writes on its standard handles.
class HandleLink final : public ByteLink {
 public:
  HandleLink(HANDLE input, HANDLE output) : input_(input), output_(output) {}
  bool Usable() const { return buffer_.Get() != nullptr; }

 private:
  std::size_t WriteSome(const std::uint8_t* data, std::size_t size) override {
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, kTransferSize));
    std::memcpy(buffer_.Get(), data, piece);
    DWORD written = 0;
    if (!WriteFile(output_, buffer_.Get(), piece, &written, nullptr) || written > piece) return 0;
    return written;
  }
  std::size_t ReadSome(std::uint8_t* data, std::size_t size) override {
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, kTransferSize));
    DWORD received = 0;
    if (!ReadFile(input_, buffer_.Get(), piece, &received, nullptr) || received > piece) return 0;
    std::memcpy(data, buffer_.Get(), received);
    return received;
  }

  HANDLE input_;
  HANDLE output_;
  TransferBuffer buffer_;
};

LONG WINAPI EndWorkerOnCrash(EXCEPTION_POINTERS*) {
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

bool IsUsable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

}  // namespace

bool WorkerProcessesAvailable() { return servesAsOwnWorker.load(); }

bool IsArchiveWorkerInvocation() {
  const WCHAR* line = GetCommandLineW();
  return line != nullptr && EndsWithWorkerFlag(line);
}

void UseThisProgramAsArchiveWorker() { servesAsOwnWorker.store(true); }

int RunArchiveWorker() {
  // A crash in the library ends the worker at once and quietly: no error box, no debugger. The
  // parent sees the pipe break.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndWorkerOnCrash);
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!IsUsable(input) || !IsUsable(output)) return 1;
  HandleLink link(input, output);
  return link.Usable() ? ServeArchiveRequests(link) : 1;
}

}  // namespace gvde
