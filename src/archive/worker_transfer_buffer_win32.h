// Memory for pipe transfers to and from the archive worker on Windows.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>

namespace gvde {

// Size of one pipe transfer and of the buffer it goes through.
constexpr DWORD kTransferSize = 65536;

// Memory that Windows allocated: in a winelib program, Wine refuses to read a pipe into the C
// library's heap (ERROR_INVALID_USER_BUFFER), which is where std::vector lives. Null when none
// could be had.
class TransferBuffer {
 public:
  TransferBuffer()
      : bytes_(static_cast<std::uint8_t*>(
            VirtualAlloc(nullptr, kTransferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
  TransferBuffer(const TransferBuffer&) = delete;
  TransferBuffer& operator=(const TransferBuffer&) = delete;
  ~TransferBuffer() {
    if (bytes_ != nullptr) VirtualFree(bytes_, 0, MEM_RELEASE);
  }
  std::uint8_t* Get() const { return bytes_; }

 private:
  std::uint8_t* bytes_;
};

}  // namespace gvde
