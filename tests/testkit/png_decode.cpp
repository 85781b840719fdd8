#include "testkit/png_decode.h"

#include <png.h>

#include <cstring>
#include <memory>

#include "platform/file_system.h"

namespace gvde::testkit {

namespace {

struct ReadCursor {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
  if (count > cursor->size - cursor->position) png_error(png, "read past the end of the data");
  std::memcpy(out, cursor->data + cursor->position, count);
  cursor->position += count;
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Everything that may run between setjmp and longjmp lives behind pointers set up
// before setjmp, so no local changes value across the jump.
bool ReadWithLibpng(png_structp png, png_infop info, ReadCursor* cursor, DecodedPng* out) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
  png_set_read_fn(png, cursor, ReadFromMemory);
  png_read_info(png, info);
  out->width = png_get_image_width(png, info);
  out->height = png_get_image_height(png, info);
  out->bitDepth = png_get_bit_depth(png, info);
  out->colorType = png_get_color_type(png, info);
  out->interlace = png_get_interlace_type(png, info);
  png_colorp palette = nullptr;
  int paletteSize = 0;
  if (png_get_PLTE(png, info, &palette, &paletteSize) != 0) {
    for (int k = 0; k < paletteSize; ++k) out->palette.push_back({palette[k].red, palette[k].green, palette[k].blue});
  }
  png_bytep alpha = nullptr;
  int alphaCount = 0;
  if (png_get_tRNS(png, info, &alpha, &alphaCount, nullptr) != 0 && alpha != nullptr) {
    out->trns.assign(alpha, alpha + alphaCount);
  }
  const png_size_t rowBytes = png_get_rowbytes(png, info);
  out->rows.assign(out->height, std::vector<std::uint8_t>(rowBytes));
  for (auto& row : out->rows) png_read_row(png, row.data(), nullptr);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<DecodedPng> DecodePng(const std::vector<std::uint8_t>& file) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return std::nullopt;
  }
  ReadCursor cursor{file.data(), file.size(), 0};
  auto decoded = std::make_unique<DecodedPng>();
  const bool ok = ReadWithLibpng(png, info, &cursor, decoded.get());
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok || cursor.position != file.size()) return std::nullopt;
  return std::move(*decoded);
}

// Far more than any picture the tool writes.
constexpr std::uint64_t kLargestPngFile = 256u << 20;

std::optional<DecodedPng> DecodePngFile(const std::string& path) {
  const auto bytes = ReadWholeFile(path, kLargestPngFile);
  if (!bytes) return std::nullopt;
  return DecodePng(*bytes);
}

}  // namespace gvde::testkit
