// Keep <windows.h> from defining min and max macros that break the standard headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <exception>

#include "platform/threads.h"

namespace gvde {

struct Mutex::Impl {
  SRWLOCK lock = SRWLOCK_INIT;
};

struct Condition::Impl {
  CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
};

struct ThreadGroup::Thread {
  HANDLE handle = nullptr;
  std::function<void()> body;
};

namespace {

DWORD WINAPI RunThread(LPVOID parameter) {
  static_cast<std::function<void()>*>(parameter)->operator()();
  return 0;
}

}  // namespace

unsigned HardwareThreads() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors == 0 ? 1 : static_cast<unsigned>(info.dwNumberOfProcessors);
}

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::Lock() { AcquireSRWLockExclusive(&impl_->lock); }
void Mutex::Unlock() { ReleaseSRWLockExclusive(&impl_->lock); }

Condition::Condition() : impl_(std::make_unique<Impl>()) {}
Condition::~Condition() = default;

void Condition::Wait(MutexLock& held) {
  SleepConditionVariableSRW(&impl_->condition, &held.mutex_.impl_->lock, INFINITE, 0);
}

void Condition::NotifyAll() { WakeAllConditionVariable(&impl_->condition); }
void Condition::NotifyOne() { WakeConditionVariable(&impl_->condition); }

ThreadGroup::ThreadGroup() = default;
ThreadGroup::~ThreadGroup() { JoinAll(); }

bool ThreadGroup::Start(std::function<void()> body) {
  try {
    // Room first: once the thread runs, keeping it must not fail.
    threads_.reserve(threads_.size() + 1);
    auto thread = std::make_unique<Thread>();
    thread->body = std::move(body);
    thread->handle = CreateThread(nullptr, 0, RunThread, &thread->body, 0, nullptr);
    if (thread->handle == nullptr) return false;
    threads_.push_back(std::move(thread));
    return true;
  } catch (const std::exception&) {
    return false;  // no memory
  }
}

void ThreadGroup::JoinAll() {
  for (const std::unique_ptr<Thread>& thread : threads_) {
    WaitForSingleObject(thread->handle, INFINITE);
    CloseHandle(thread->handle);
  }
  threads_.clear();
}

}  // namespace gvde
