// Decoding of run-length encoded sprite frames: monster animation files (width from the
// monster table) and item graphics files (width worked out from the runs).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/file_source.h"
#include "image/picture_encoder.h"
#include "image/png_writer.h"
#include "image/recent_files.h"

namespace gvde {

using ColourTable = std::array<std::uint8_t, 256>;

// A monster, boss or item frame of more pixels fails as one that does not decode, before
// anything is set up for it: a few bytes of runs must not ask for gigabytes.
constexpr std::uint64_t kMaxFramePixels = 16777216;
// A thread keeps the pixels of its last picture for the next one, unless they are more than this.
constexpr std::size_t kLargestKeptPixels = std::size_t{4} << 20;

// What a monster or boss picture takes from the archives: the run data of frame 0 of the first
// group, its colour table and its size. Read on one thread, decoded on any.
struct MonsterFrame {
  std::shared_ptr<const std::vector<std::uint8_t>> runs;
  ColourTable table{};  // T2[T1[c]]: the own table first, the boss table second
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::string spriteFile;  // the file the frame is from, for messages
};

// What reading a monster or boss picture's frame came to: the frame, or why there is none
// ("the sprite file monsters\bat\bata.anm is in neither archive or cannot be read"), for the
// detail line under its question.
struct MonsterFrameRead {
  std::optional<MonsterFrame> frame;
  std::string problem;
};

// Reads what monster and boss pictures need, keeping the sprite frames and colour tables that
// several pictures share: the monsters of one animation group read one sprite file, and the
// bosses read their monsters' files again.
class MonsterFrameReader {
 public:
  explicit MonsterFrameReader(FileSource& files);

  // The own table (or none), the boss table looked for under "CF\MD\" and then "CF\SD\" (or
  // none), and frame 0 of the animation file named by `spriteName` with every "%c" replaced by
  // "a". No frame, and the problem, when a table or the file cannot be read, or the frame does
  // not decode into rows of `frameWidth`.
  MonsterFrameRead Read(const std::string& spriteName, const std::optional<std::string>& ownTable,
                        const std::optional<std::string>& bossTable, std::uint32_t frameWidth);
  // Forgets what it keeps.
  void Clear() { recent_.Clear(); }

 private:
  bool ReadTable(const std::string& name, ColourTable& table);
  // The frame's runs and pixel count, or an entry without bytes for a file without a usable
  // frame (its number then says why); nothing, and the problem, when the file cannot be read.
  std::optional<RecentFiles::Entry> SpriteFrame(const std::string& fileName, std::string& problem);

  FileSource& files_;
  RecentFiles recent_;
};

// The pixels of a frame (bottom row first, 255 transparent).
void DecodeMonsterFrame(const MonsterFrame& frame, std::vector<std::uint8_t>& pixels);

// Decodes and encodes the frame on any thread; `png` must outlive the job. Without a frame (it
// could not be read) the job gives NotDecoded with the problem as its detail.
PictureJob MonsterPictureJob(const PngWriter& png, MonsterFrameRead read);

// Decodes frame `frameIndex` of a whole item graphics file.
bool DecodeCelFrame(std::vector<std::uint8_t>& pixels, std::span<const std::uint8_t> file,
                    std::uint32_t frameIndex, std::uint32_t& width, std::uint32_t& height);

}  // namespace gvde
