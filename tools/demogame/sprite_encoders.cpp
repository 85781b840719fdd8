#include "demogame/sprite_encoders.h"

#include <algorithm>
#include <cstddef>

#include "demogame/pe_builder.h"

namespace gvde::demogame {

namespace {

std::size_t SameColourAhead(std::span<const std::uint8_t> pixels, std::size_t at) {
  std::size_t n = 1;
  while (at + n < pixels.size() && pixels[at + n] == pixels[at]) ++n;
  return n;
}

// Literal colours from `at` up to the next transparent pixel or the next fill-worthy repeat.
std::size_t LiteralAhead(std::span<const std::uint8_t> pixels, std::size_t at) {
  std::size_t n = 0;
  while (at + n < pixels.size() && pixels[at + n] != 255 && n < 256) {
    if (n > 0 && SameColourAhead(pixels, at + n) >= 3) break;
    ++n;
  }
  return n;
}

std::vector<std::uint8_t> MonsterFrame(const MonsterFrameBytes& frame) {
  const std::size_t headerLength = std::max<std::size_t>(frame.headerLength, 2);
  std::vector<std::uint8_t> bytes(headerLength, 0);
  PutU16(bytes, 0, frame.headerLength);
  bytes.insert(bytes.end(), frame.runs.begin(), frame.runs.end());
  return bytes;
}

std::vector<std::uint8_t> MonsterGroup(const std::vector<MonsterFrameBytes>& frames) {
  std::vector<std::uint8_t> group;
  PutU32(group, 0, static_cast<std::uint32_t>(frames.size()));
  const std::size_t tableAt = group.size();
  group.resize(group.size() + 4 * (frames.size() + 1));
  for (std::size_t f = 0; f < frames.size(); ++f) {
    PutU32(group, tableAt + 4 * f, static_cast<std::uint32_t>(group.size()));
    const std::vector<std::uint8_t> bytes = MonsterFrame(frames[f]);
    group.insert(group.end(), bytes.begin(), bytes.end());
  }
  PutU32(group, tableAt + 4 * frames.size(), static_cast<std::uint32_t>(group.size()));
  return group;
}

void AppendCelRow(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> row) {
  std::size_t x = 0;
  while (x < row.size()) {
    std::size_t n = 0;
    if (row[x] == 255) {
      while (x + n < row.size() && row[x + n] == 255 && n < 128) ++n;
      out.push_back(static_cast<std::uint8_t>(0x100 - n));
    } else {
      while (x + n < row.size() && row[x + n] != 255 && n < 127) ++n;
      out.push_back(static_cast<std::uint8_t>(n));
      out.insert(out.end(), row.begin() + static_cast<std::ptrdiff_t>(x),
                 row.begin() + static_cast<std::ptrdiff_t>(x + n));
    }
    x += n;
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeMonsterRuns(std::span<const std::uint8_t> pixels) {
  std::vector<std::uint8_t> runs;
  std::size_t at = 0;
  while (at < pixels.size()) {
    if (pixels[at] == 255) {
      const std::size_t n = std::min<std::size_t>(SameColourAhead(pixels, at), 127);
      runs.push_back(static_cast<std::uint8_t>(n));
      at += n;
      continue;
    }
    const std::size_t same = SameColourAhead(pixels, at);
    if (same >= 3) {
      const std::size_t n = std::min<std::size_t>(same, 63);
      runs.push_back(static_cast<std::uint8_t>(0xBF - n));
      runs.push_back(pixels[at]);
      at += n;
      continue;
    }
    std::size_t n = LiteralAhead(pixels, at);
    if (n < 256) n = std::min<std::size_t>(n, 65);
    runs.push_back(static_cast<std::uint8_t>(0x100 - n));  // 256 wraps to 0x00
    runs.insert(runs.end(), pixels.begin() + static_cast<std::ptrdiff_t>(at),
                pixels.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  }
  return runs;
}

std::vector<std::uint8_t> BuildMonsterFileFromRuns(const std::vector<std::vector<MonsterFrameBytes>>& groups) {
  std::vector<std::uint8_t> file(4 * groups.size(), 0);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    PutU32(file, 4 * g, static_cast<std::uint32_t>(file.size()));
    const std::vector<std::uint8_t> group = MonsterGroup(groups[g]);
    file.insert(file.end(), group.begin(), group.end());
  }
  return file;
}

std::vector<std::uint8_t> BuildMonsterFile(const std::vector<std::vector<SpritePicture>>& groups,
                                           std::uint16_t headerLength) {
  std::vector<std::vector<MonsterFrameBytes>> encoded;
  for (const auto& group : groups) {
    std::vector<MonsterFrameBytes> frames;
    for (const auto& picture : group) frames.push_back({EncodeMonsterRuns(picture.pixels), headerLength});
    encoded.push_back(std::move(frames));
  }
  return BuildMonsterFileFromRuns(encoded);
}

std::vector<std::uint8_t> EncodeCelRuns(const SpritePicture& picture) {
  std::vector<std::uint8_t> runs;
  const std::span<const std::uint8_t> pixels(picture.pixels);
  for (std::size_t y = 0; y < picture.height; ++y) {
    AppendCelRow(runs, pixels.subspan(y * picture.width, picture.width));
  }
  return runs;
}

std::vector<std::uint8_t> BuildCelFileFromRuns(const std::vector<std::vector<std::uint8_t>>& frameRuns) {
  std::vector<std::uint8_t> file;
  PutU32(file, 0, static_cast<std::uint32_t>(frameRuns.size()));
  const std::size_t tableAt = file.size();
  file.resize(file.size() + 4 * (frameRuns.size() + 1));
  for (std::size_t f = 0; f < frameRuns.size(); ++f) {
    PutU32(file, tableAt + 4 * f, static_cast<std::uint32_t>(file.size()));
    file.resize(file.size() + 10, 0);
    file.insert(file.end(), frameRuns[f].begin(), frameRuns[f].end());
  }
  PutU32(file, tableAt + 4 * frameRuns.size(), static_cast<std::uint32_t>(file.size()));
  return file;
}

std::vector<std::uint8_t> BuildCelFile(const std::vector<SpritePicture>& frames) {
  std::vector<std::vector<std::uint8_t>> runs;
  for (const auto& picture : frames) runs.push_back(EncodeCelRuns(picture));
  return BuildCelFileFromRuns(runs);
}

}  // namespace gvde::demogame
