// Keep <windows.h> from defining min and max macros that break the standard headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "archive/worker_launch.h"
#include "archive/worker_server.h"
#include "archive/worker_transfer_buffer_win32.h"
#include "platform/file_error.h"

namespace gvde {

// The worker is this program started again with kArchiveWorkerFlag. Its standard input and
// output are the client end of a named pipe, which the parent serves with overlapped I/O so that
// every wait has a limit. A job object ends the worker when the parent goes away.
struct WorkerProcess::Handles {
  HANDLE pipe = INVALID_HANDLE_VALUE;
  HANDLE event = nullptr;
  HANDLE process = nullptr;
  HANDLE job = nullptr;
  TransferBuffer buffer;
  bool timedOut = false;  // a transfer reached its limit
};

namespace {

constexpr DWORD kPipeBufferSize = 65536;
constexpr DWORD kEndWait = 10000;

std::atomic<unsigned> pipeCount{0};

DWORD Milliseconds(std::chrono::milliseconds limit) {
  return static_cast<DWORD>(std::clamp<long long>(limit.count(), 0, INFINITE - 1));
}

void CloseIfOpen(HANDLE& handle) {
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = nullptr;
}

// Wide texts are kept as WCHAR vectors: in a winelib build WCHAR is a 16-bit wchar_t that the
// C++ library's own std::wstring code does not share.
using WideText = std::vector<WCHAR>;

void AppendAscii(WideText& text, const char* ascii) {
  for (; *ascii != '\0'; ++ascii) text.push_back(static_cast<WCHAR>(static_cast<unsigned char>(*ascii)));
}

// A winelib program's module name is that of its launcher script, which Wine would run as a
// Unix program without the pipe; Wine starts the program itself from the ".so" beside it.
WideText WithWinelibSuffix(WideText path) {
#ifdef __WINE__
  WideText library = path;
  AppendAscii(library, ".so");
  library.push_back(0);
  if (GetFileAttributesW(library.data()) != INVALID_FILE_ATTRIBUTES) {
    library.pop_back();
    return library;
  }
#endif
  return path;
}

// This program's path, without the terminating zero; empty when it cannot be had.
WideText ProgramPath() {
  WideText path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return WithWinelibSuffix(path);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

// "PROGRAM" --archive-worker, zero-terminated, as CreateProcessW may change it in place.
WideText WorkerCommandLine(const WideText& program) {
  WideText line;
  AppendAscii(line, "\"");
  line.insert(line.end(), program.begin(), program.end());
  AppendAscii(line, "\" ");
  AppendAscii(line, kArchiveWorkerFlag);
  line.push_back(0);
  return line;
}

std::string UniquePipeName() {
  return "\\\\.\\pipe\\gvde-archive-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++pipeCount) + "-" + std::to_string(GetTickCount64());
}

HANDLE CreateServerEnd(const std::string& name) {
  DWORD mode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT;
#ifdef PIPE_REJECT_REMOTE_CLIENTS
  mode |= PIPE_REJECT_REMOTE_CLIENTS;
#endif
  return CreateNamedPipeA(name.c_str(),
                          PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE, mode, 1,
                          kPipeBufferSize, kPipeBufferSize, 0, nullptr);
}

// The worker's end, which it inherits; opening it connects the pipe.
HANDLE CreateClientEnd(const std::string& name) {
  SECURITY_ATTRIBUTES inheritable{};
  inheritable.nLength = sizeof inheritable;
  inheritable.bInheritHandle = TRUE;
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, 0, nullptr);
}

// A job for the worker alone: it cannot start another process, and it is killed when the
// job's last handle closes. Null where that is not offered.
HANDLE CreateWorkerJob() {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  if (job == nullptr) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_ACTIVE_PROCESS;
  limits.BasicLimitInformation.ActiveProcessLimit = 1;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

// This process's token without its privileges and at low integrity, which may not write to
// the user's files; null where the system cannot make one (the worker then runs as this
// process does).
HANDLE RestrictedWorkerToken() {
  HANDLE own = nullptr;
  // The restricted token has the access of this handle: enough to start a process with it
  // and to lower its integrity.
  constexpr DWORD kAccess = TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT;
  if (!OpenProcessToken(GetCurrentProcess(), kAccess, &own)) return nullptr;
  HANDLE restricted = nullptr;
  const BOOL made =
      CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE, 0, nullptr, 0, nullptr, 0, nullptr, &restricted);
  CloseHandle(own);
  if (!made) return nullptr;
  SID_IDENTIFIER_AUTHORITY labels = SECURITY_MANDATORY_LABEL_AUTHORITY;
  PSID low = nullptr;
  if (AllocateAndInitializeSid(&labels, 1, SECURITY_MANDATORY_LOW_RID, 0, 0, 0, 0, 0, 0, 0, &low)) {
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    label.Label.Sid = low;
    SetTokenInformation(restricted, TokenIntegrityLevel, &label,
                        static_cast<DWORD>(sizeof label + GetLengthSid(low)));
    FreeSid(low);
  }
  return restricted;
}

// Starts the worker suspended, with the restricted token where there is one.
BOOL CreateWorker(WideText& programPath, WideText& commandLine, STARTUPINFOW& startup,
                  PROCESS_INFORMATION& started) {
  constexpr DWORD kFlags = CREATE_NO_WINDOW | CREATE_SUSPENDED;
  HANDLE token = RestrictedWorkerToken();
  if (token != nullptr) {
    const BOOL created = CreateProcessAsUserW(token, programPath.data(), commandLine.data(), nullptr, nullptr,
                                              TRUE, kFlags, nullptr, nullptr, &startup, &started);
    CloseHandle(token);
    if (created) return TRUE;
  }
  return CreateProcessW(programPath.data(), commandLine.data(), nullptr, nullptr, TRUE, kFlags, nullptr,
                        nullptr, &startup, &started);
}

// Completes one overlapped ReadFile or WriteFile within the wait limit. After a timeout the
// transfer is cancelled, and its end awaited, before the buffer goes back to the caller.
bool CompleteTransfer(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, DWORD& transferred,
                      std::chrono::milliseconds limit, bool& timedOut) {
  if (!started && GetLastError() != ERROR_IO_PENDING) return false;
  if (WaitForSingleObject(overlapped.hEvent, Milliseconds(limit)) != WAIT_OBJECT_0) {
    CancelIoEx(pipe, &overlapped);
    GetOverlappedResult(pipe, &overlapped, &transferred, TRUE);
    timedOut = true;
    return false;
  }
  return GetOverlappedResult(pipe, &overlapped, &transferred, FALSE) && transferred > 0;
}

bool IsUsable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

}  // namespace

WorkerProcess::WorkerProcess() : handles_(std::make_unique<Handles>()) {}

WorkerProcess::~WorkerProcess() { Kill(); }

std::string WorkerProcess::Start() {
  Kill();
  // The system's reason first: ending the worker may change it.
  const auto startFailed = [this](const char* what) {
    const std::string reason = std::string(what) + ": " + LastSystemErrorText();
    Kill();
    return reason;
  };
  const WideText program = ProgramPath();
  if (program.empty()) return "cannot start the archive reader: this program's path is unknown";
  const std::string name = UniquePipeName();
  handles_->pipe = CreateServerEnd(name);
  handles_->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!IsUsable(handles_->pipe) || handles_->event == nullptr || handles_->buffer.Get() == nullptr) {
    return startFailed("cannot make a pipe for the archive reader");
  }
  HANDLE client = CreateClientEnd(name);
  if (!IsUsable(client)) return startFailed("cannot make a pipe for the archive reader");
  WideText commandLine = WorkerCommandLine(program);
  WideText programPath = program;
  programPath.push_back(0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = client;
  startup.hStdOutput = client;
  startup.hStdError = nullptr;
  PROCESS_INFORMATION started{};
  const BOOL created = CreateWorker(programPath, commandLine, startup, started);
  CloseHandle(client);  // the worker holds its own copy now
  if (!created) return startFailed("cannot start the archive reader");
  handles_->process = started.hProcess;
  handles_->job = CreateWorkerJob();
  if (handles_->job != nullptr && !AssignProcessToJobObject(handles_->job, started.hProcess)) {
    CloseIfOpen(handles_->job);
  }
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  return {};
}

std::size_t WorkerProcess::Send(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit) {
  if (!IsUsable(handles_->pipe)) return 0;
  const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, kTransferSize));
  std::memcpy(handles_->buffer.Get(), data, piece);
  OVERLAPPED overlapped{};
  overlapped.hEvent = handles_->event;
  DWORD written = 0;
  const BOOL started = WriteFile(handles_->pipe, handles_->buffer.Get(), piece, nullptr, &overlapped);
  if (!CompleteTransfer(handles_->pipe, overlapped, started, written, limit, handles_->timedOut) ||
      written > piece) {
    return 0;
  }
  return written;
}

std::size_t WorkerProcess::Receive(std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit) {
  if (!IsUsable(handles_->pipe)) return 0;
  const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, kTransferSize));
  OVERLAPPED overlapped{};
  overlapped.hEvent = handles_->event;
  DWORD received = 0;
  const BOOL started = ReadFile(handles_->pipe, handles_->buffer.Get(), piece, nullptr, &overlapped);
  if (!CompleteTransfer(handles_->pipe, overlapped, started, received, limit, handles_->timedOut) ||
      received > piece) {
    return 0;
  }
  std::memcpy(data, handles_->buffer.Get(), received);
  return received;
}

WorkerEnd WorkerProcess::Kill() {
  WorkerEnd end = handles_->timedOut ? WorkerEnd::Hung : WorkerEnd::Killed;
  if (handles_->process != nullptr) {
    if (!handles_->timedOut && WaitForSingleObject(handles_->process, 0) == WAIT_OBJECT_0)
      end = WorkerEnd::Ended;
    TerminateProcess(handles_->process, 1);  // fails harmlessly once the worker has ended
    WaitForSingleObject(handles_->process, kEndWait);
  }
  CloseIfOpen(handles_->process);
  CloseIfOpen(handles_->job);
  CloseIfOpen(handles_->pipe);
  CloseIfOpen(handles_->event);
  handles_->timedOut = false;
  return end;
}

}  // namespace gvde
