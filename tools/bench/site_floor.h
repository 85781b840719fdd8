// What no byte-exact run can avoid: writing the site's files (the floor) and deflating every
// picture's rows once on one core.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// The site as written by a run: what the floor writes again.
struct SiteImage {
  std::vector<std::string> directories;                    // relative, parents before children
  std::vector<std::pair<std::string, std::string>> files;  // relative path, bytes
  std::uint64_t bytes = 0;
};

// Reads every directory and file under `root` into memory, in a fixed (sorted) order.
std::optional<SiteImage> ReadSite(const std::string& root);

// The floor: creates `root`, its directories and every file with fopen/fwrite/fclose.
// Returns the wall time in seconds, or a negative value when a write failed.
double WriteFloor(const SiteImage& image, const std::string& root);

// A picture of the site: its filtered rows, recovered from its IDAT data, and that data.
struct PictureData {
  std::vector<std::uint8_t> rows;
  std::string idat;
};

std::vector<PictureData> SitePictures(const SiteImage& image);

// The compression the run cannot avoid: every picture's rows deflated once at the default
// level, one stream reset per picture, on one core. Negative when zlib fails.
double TimeDeflateOnce(const std::vector<PictureData>& pictures);

// That deflating once gives the bytes of zlib's compress, and those the site holds.
bool DeflateOnceMatchesCompress(const std::vector<PictureData>& pictures);

}  // namespace bench
