// Encoders for the two sprite file kinds: monster animation files and item graphics
// (.cel) files. Deterministic: equal input gives equal bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gvde::demogame {

// width x height palette indices, bottom row first, 255 transparent.
struct SpritePicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;
};

// ---- Monster animation files ----

// One frame as stored: a header of `headerLength` bytes (>= 2; its first u16 is that
// length, the rest zeros) followed by `runs` exactly as given.
struct MonsterFrameBytes {
  std::vector<std::uint8_t> runs;
  std::uint16_t headerLength = 10;
};

// Monster runs for a pixel stream (rows do not matter): 255s become transparent runs
// (0x01..0x7F); three or more equal colours a fill run (0x80..0xBE, up to 63); other
// colours literal runs (0xBF..0xFF for 65..1 colours, 0x00 for 256).
std::vector<std::uint8_t> EncodeMonsterRuns(std::span<const std::uint8_t> pixels);

// File layout: one u32 group offset per group at the start, then per group a u32 frame
// count, count + 1 u32 frame starts relative to the group (the last is the end of the
// last frame), then the frames.
std::vector<std::uint8_t> BuildMonsterFileFromRuns(const std::vector<std::vector<MonsterFrameBytes>>& groups);

// Same layout with every picture's pixels encoded by EncodeMonsterRuns.
std::vector<std::uint8_t> BuildMonsterFile(const std::vector<std::vector<SpritePicture>>& groups,
                                           std::uint16_t headerLength = 10);

// ---- Item graphics (.cel) files ----

// Item runs row by row (bottom row first; no run crosses a row end): literal runs of at
// most 127 colours (byte n) and transparent runs of at most 128 (byte 0x100 - n).
std::vector<std::uint8_t> EncodeCelRuns(const SpritePicture& picture);

// File layout: u32 N, N + 1 u32 frame starts (the last is the file's end), then each
// frame as a 10-byte header of zeros followed by its runs as given.
std::vector<std::uint8_t> BuildCelFileFromRuns(const std::vector<std::vector<std::uint8_t>>& frameRuns);

// Same layout with every picture encoded by EncodeCelRuns.
std::vector<std::uint8_t> BuildCelFile(const std::vector<SpritePicture>& frames);

}  // namespace gvde::demogame
