#include "image/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <span>

#include "image/png_chunks_internal.h"
#include "platform/byte_writer.h"

namespace gvde {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Width, height, bit depth 8, colour type 3 (indexed), compression, filter and interlace 0.
constexpr std::size_t kIhdrBytes = 13;
// Everything before the image data: signature, IHDR, PLTE and tRNS.
constexpr std::size_t kHeadBytes =
    sizeof kSignature + kChunkOverhead + kIhdrBytes + kChunkOverhead + kPaletteBytes + kChunkOverhead + 1;
// tRNS: palette index 0 fully transparent, every other index opaque.
constexpr std::uint8_t kTransparency[1] = {0};

// Signature, IHDR, PLTE and tRNS of a picture of width x height in `palette`, at `at`.
void PutHead(std::uint8_t* at, std::uint32_t width, std::uint32_t height,
             std::span<const std::uint8_t, kPaletteBytes> palette) {
  at = std::copy(std::begin(kSignature), std::end(kSignature), at);
  std::array<std::uint8_t, kIhdrBytes> ihdr{};
  ByteWriter(ihdr).U32BigEndian(0, width);
  ByteWriter(ihdr).U32BigEndian(4, height);
  ihdr[8] = 8;  // bits per index
  ihdr[9] = 3;  // indexed colour
  at = PutChunk(at, "IHDR", ihdr);
  at = PutChunk(at, "PLTE", palette);
  PutChunk(at, "tRNS", kTransparency);
}

// The rows as the file stores them, at `out`: top row first, filter byte 0, index 255 - p.
void BuildFilteredRows(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
                       std::uint8_t* out) {
  const std::size_t w = width;
  const std::size_t h = height;
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* in = pixels.data() + (h - 1 - y) * w;
    *out++ = 0;
    // 255 - p is ~p, taken eight pixels per step.
    std::size_t x = 0;
    for (; x + 8 <= w; x += 8) {
      std::uint64_t eight = 0;
      std::memcpy(&eight, in + x, 8);
      eight = ~eight;
      std::memcpy(out + x, &eight, 8);
    }
    for (; x < w; ++x) out[x] = static_cast<std::uint8_t>(255 - in[x]);
    out += w;
  }
}

// zlib's compress at the default level on a stream kept for the thread and reset per
// picture: compress would set up and free about 270 KB of zlib state for every picture, which
// the allocator returns to the system and faults in again each time. deflateReset is
// equivalent to deflateEnd plus deflateInit, so the bytes are the same.
class Deflater {
 public:
  Deflater() { ready_ = deflateInit(&stream_, Z_DEFAULT_COMPRESSION) == Z_OK; }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  ~Deflater() {
    if (ready_) deflateEnd(&stream_);
  }

  // The steps of compress(destination, destinationLength, source, sourceLength).
  int Compress(Bytef* destination, uLongf* destinationLength, const Bytef* source, uLong sourceLength) {
    if (!ready_) return Z_MEM_ERROR;
    int result = deflateReset(&stream_);
    if (result != Z_OK) return result;
    constexpr uLong kMaxPiece = static_cast<uInt>(-1);
    uLong left = *destinationLength;
    *destinationLength = 0;
    stream_.next_out = destination;
    stream_.avail_out = 0;
    stream_.next_in = const_cast<Bytef*>(source);
    stream_.avail_in = 0;
    do {
      if (stream_.avail_out == 0) {
        stream_.avail_out = static_cast<uInt>(std::min(left, kMaxPiece));
        left -= stream_.avail_out;
      }
      if (stream_.avail_in == 0) {
        stream_.avail_in = static_cast<uInt>(std::min(sourceLength, kMaxPiece));
        sourceLength -= stream_.avail_in;
      }
      result = deflate(&stream_, sourceLength != 0 ? Z_NO_FLUSH : Z_FINISH);
    } while (result == Z_OK);
    *destinationLength = stream_.total_out;
    return result == Z_STREAM_END ? Z_OK : result;
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

Deflater& ThreadDeflater() {
  thread_local Deflater deflater;
  return deflater;
}

// Memory for one picture's rows or file, not zero-filled: every byte used is written first.
class ScratchBuffer {
 public:
  std::uint8_t* Reserve(std::size_t size) {
    if (size_ < size) {
      data_.reset();
      size_ = 0;
      data_.reset(new std::uint8_t[size]);
      size_ = size;
    }
    return data_.get();
  }
  std::size_t Size() const { return size_; }
  void Release() {
    data_.reset();
    size_ = 0;
  }

 private:
  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t size_ = 0;
};

// Buffers each thread keeps from picture to picture, so that a picture sets up no memory
// beyond the file it gives; a rare large picture does not keep its large buffers.
struct Scratch {
  ScratchBuffer rows;
  ScratchBuffer file;  // the file assembled in place: head, IDAT around the compressed rows, IEND

  void Release() {
    rows.Release();
    file.Release();
  }
  void KeepSmall() {
    constexpr std::size_t kLargestKept = 4u << 20;
    if (rows.Size() > kLargestKept || file.Size() > kLargestKept) Release();
  }
};

Scratch& ThreadScratch() {
  thread_local Scratch scratch;
  return scratch;
}

}  // namespace

void PngWriter::SetPalette(std::span<const std::uint8_t, kPaletteBytes> gamePalette) {
  for (std::size_t k = 0; k < 256; ++k) {
    std::copy_n(gamePalette.begin() + 3 * k, 3, palette_.begin() + 3 * (255 - k));
  }
}

bool PngWriter::EncodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
                          std::vector<std::uint8_t>& file) const {
  if (width == 0 || height == 0) return false;
  // All sizes in 64 bits: (width + 1) * height cannot overflow there.
  const std::uint64_t pixelCount = static_cast<std::uint64_t>(width) * height;
  if (pixels.size() < pixelCount) return false;
  const std::uint64_t rowsLength = (static_cast<std::uint64_t>(width) + 1) * height;
  const std::uint64_t capacity = 2 * rowsLength + 12;
  constexpr std::uint64_t kMaxLength = std::numeric_limits<uLong>::max() / 4;
  if (rowsLength > kMaxLength || rowsLength > std::numeric_limits<std::size_t>::max() / 4) return false;

  Scratch& scratch = ThreadScratch();
  // Memory that cannot be had ends the run: the buffers are let go and the failure passed on.
  try {
    std::uint8_t* rows = scratch.rows.Reserve(static_cast<std::size_t>(rowsLength));
    BuildFilteredRows(width, height, pixels, rows);
    auto compressedLength =
        static_cast<uLongf>(std::max<std::uint64_t>(capacity, compressBound(static_cast<uLong>(rowsLength))));
    std::uint8_t* whole =
        scratch.file.Reserve(kHeadBytes + kChunkOverhead + static_cast<std::size_t>(compressedLength) + kChunkOverhead);
    std::uint8_t* idat = whole + kHeadBytes;
    const int compressed = ThreadDeflater().Compress(idat + kChunkDataOffset, &compressedLength, rows,
                                                     static_cast<uLong>(rowsLength));
    if (compressed == Z_MEM_ERROR) throw std::bad_alloc();
    const bool made = compressed == Z_OK && compressedLength <= 0x7FFFFFFFU;  // a chunk length has 31 bits
    if (made) {
      PutHead(whole, width, height, palette_);
      const auto length = static_cast<std::uint32_t>(compressedLength);
      FrameChunk(idat, "IDAT", length);
      std::uint8_t* end = PutChunk(idat + kChunkOverhead + length, "IEND", {});
      file.assign(whole, end);
    }
    scratch.KeepSmall();
    return made;
  } catch (...) {
    scratch.Release();
    throw;
  }
}

}  // namespace gvde
