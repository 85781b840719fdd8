#include "site_floor.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "child_runs.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

// The picture inside a PNG file (8-bit indexed, as the run writes them); nullopt for anything
// else.
std::optional<PictureData> PngPicture(const std::string& png) {
  constexpr std::size_t kSignature = 8;
  std::uint64_t rowsLength = 0;
  std::string idat;
  for (std::size_t at = kSignature; at + 12 <= png.size();) {
    const std::uint64_t length = BigEndian(png, at);
    const std::string type = png.substr(at + 4, 4);
    if (at + 12 + length > png.size()) return std::nullopt;
    if (type == "IHDR" && length == 13) {
      rowsLength = (std::uint64_t{BigEndian(png, at + 8)} + 1) * BigEndian(png, at + 12);
    } else if (type == "IDAT") {
      idat.append(png, at + 8, static_cast<std::size_t>(length));
    }
    at += 12 + static_cast<std::size_t>(length);
  }
  if (rowsLength == 0 || rowsLength > (std::uint64_t{1} << 30)) return std::nullopt;
  PictureData picture;
  picture.rows.resize(static_cast<std::size_t>(rowsLength));
  uLongf rowsSize = static_cast<uLongf>(picture.rows.size());
  if (uncompress(picture.rows.data(), &rowsSize, reinterpret_cast<const Bytef*>(idat.data()),
                 static_cast<uLong>(idat.size())) != Z_OK ||
      rowsSize != picture.rows.size()) {
    return std::nullopt;
  }
  picture.idat = std::move(idat);
  return picture;
}

// Deflates `rows` at the default level on `stream`, reset first: the same steps and bytes as
// zlib's compress, without setting up and freeing the stream's state for every picture.
bool DeflateOnStream(z_stream& stream, const std::vector<std::uint8_t>& rows,
                     std::vector<std::uint8_t>& out) {
  if (deflateReset(&stream) != Z_OK) return false;
  out.resize(compressBound(static_cast<uLong>(rows.size())));
  stream.next_in = const_cast<Bytef*>(rows.data());
  stream.avail_in = static_cast<uInt>(rows.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) return false;
  out.resize(stream.total_out);
  return true;
}

}  // namespace

// Reads every directory and file under `root` into memory, in a fixed (sorted) order.
std::optional<SiteImage> ReadSite(const std::string& root) {
  SiteImage image;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    std::string relative = fs::relative(it->path(), root, ec).generic_string();
    if (ec) break;
    if (it->is_directory(ec)) {
      image.directories.push_back(relative);
    } else if (it->is_regular_file(ec)) {
      std::string bytes = ReadText(it->path().string());
      image.bytes += bytes.size();
      image.files.emplace_back(relative, std::move(bytes));
    }
  }
  if (ec) return std::nullopt;
  std::sort(image.directories.begin(), image.directories.end());
  std::sort(image.files.begin(), image.files.end());
  return image;
}

// The floor: creates `root`, its directories and every file with fopen/fwrite/fclose.
// Returns the wall time in seconds, or a negative value when a write failed.
double WriteFloor(const SiteImage& image, const std::string& root) {
  bool ok = true;
  double start = Now();
  ok = ::mkdir(root.c_str(), 0777) == 0;
  for (const std::string& dir : image.directories) {
    if (ok) ok = ::mkdir((root + "/" + dir).c_str(), 0777) == 0;
  }
  for (const auto& [path, bytes] : image.files) {
    if (!ok) break;
    std::FILE* f = std::fopen((root + "/" + path).c_str(), "wb");
    if (f == nullptr) {
      ok = false;
      break;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) ok = false;
    if (std::fclose(f) != 0) ok = false;
  }
  double wall = Now() - start;
  return ok ? wall : -1;
}

std::vector<PictureData> SitePictures(const SiteImage& image) {
  std::vector<PictureData> pictures;
  for (const auto& [path, bytes] : image.files) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0) continue;
    if (auto picture = PngPicture(bytes)) pictures.push_back(std::move(*picture));
  }
  return pictures;
}

// The compression the run cannot avoid: every picture's rows deflated once at the default
// level, one stream reset per picture, on one core. Negative when zlib fails.
double TimeDeflateOnce(const std::vector<PictureData>& pictures) {
  z_stream stream{};
  if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) return -1;
  std::vector<std::uint8_t> out;
  bool ok = true;
  const double start = Now();
  for (const PictureData& picture : pictures) ok = ok && DeflateOnStream(stream, picture.rows, out);
  const double seconds = Now() - start;
  deflateEnd(&stream);
  return ok ? seconds : -1;
}

// That deflating once gives the bytes of zlib's compress, and those the site holds.
bool DeflateOnceMatchesCompress(const std::vector<PictureData>& pictures) {
  z_stream stream{};
  if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) return false;
  std::vector<std::uint8_t> once;
  std::vector<std::uint8_t> compressed;
  bool same = true;
  for (const PictureData& picture : pictures) {
    uLongf size = compressBound(static_cast<uLong>(picture.rows.size()));
    compressed.resize(size);
    same = same && DeflateOnStream(stream, picture.rows, once) &&
           compress(compressed.data(), &size, picture.rows.data(), static_cast<uLong>(picture.rows.size())) ==
               Z_OK;
    compressed.resize(size);
    same = same && once == compressed &&
           std::equal(once.begin(), once.end(), picture.idat.begin(), picture.idat.end(),
                      [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
    if (!same) break;
  }
  deflateEnd(&stream);
  return same;
}

}  // namespace bench
