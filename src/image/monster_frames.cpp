// Monster and boss pictures: frame 0 of the first group of an animation file.
#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <utility>

#include "image/sprites.h"
#include "platform/byte_reader.h"

namespace gvde {

namespace {

// Enough for every sprite frame and colour table of a large game several times over.
constexpr std::size_t kRecentBudget = 32u << 20;

ColourTable IdentityTable() {
  ColourTable table{};
  for (std::size_t c = 0; c < table.size(); ++c) table[c] = static_cast<std::uint8_t>(c);
  return table;
}

// Why a sprite file read whole has no usable frame 0: kept as the number of its entry.
enum FrameProblem : std::uint64_t { kNoFrame = 1, kNotDecodable = 2, kTooManyPixels = 3 };

std::string FrameProblemText(std::uint64_t problem, const std::string& fileName) {
  switch (problem) {
    case kNoFrame:
      return "the sprite file " + fileName + " holds no frame 0 with pixels";
    case kTooManyPixels:
      return "frame 0 of " + fileName + " has more than " + std::to_string(kMaxFramePixels) + " pixels";
    default:
      return "frame 0 of " + fileName + " cannot be decoded";
  }
}

std::string TableProblem(const std::string& names) {
  return "the colour table " + names + " is in neither archive or is not 256 bytes long";
}

// Every '%' directly followed by a lower-case letter becomes the single letter 'a'.
std::string AnimationFileOfLetterA(const std::string& pattern) {
  std::string name;
  name.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= 'a' && pattern[i + 1] <= 'z') {
      name += 'a';
      ++i;
    } else {
      name += pattern[i];
    }
  }
  return name;
}

// Where the run data of frame 0 of the first group lies; false when any offset read
// from the file points outside it.
bool LocateFirstFrame(std::span<const std::uint8_t> file, std::size_t& dataBegin, std::size_t& dataEnd) {
  const ByteReader bytes(file);
  // The file starts with the offset of the first group; the group holds its frame count and
  // the start of frames 0 and 1, relative to the group.
  if (!bytes.Has(0, 4)) return false;
  const std::uint64_t group = bytes.U32(0);
  if (!bytes.Has(group, 12)) return false;
  const std::uint32_t frameStart = bytes.U32(group + 4);
  const std::uint32_t frameEnd = bytes.U32(group + 8);
  if (frameEnd < frameStart) return false;
  const std::uint64_t start = group + frameStart;
  const std::uint64_t end = group + frameEnd;
  // The frame opens with the length of its own header.
  if (end > bytes.Size() || !bytes.Has(start, 2)) return false;
  const std::uint64_t begin = start + bytes.U16(start);
  if (begin >= end) return false;  // no run data: no pixels
  dataBegin = static_cast<std::size_t>(begin);
  dataEnd = static_cast<std::size_t>(end);
  return true;
}

// Pixels and stream bytes of the run opened by control byte b.
struct MonsterRun {
  enum class Kind { Transparent, Fill, Literal } kind;
  std::size_t pixels;
  std::size_t bytes;
};

MonsterRun ClassifyRun(std::uint8_t b) {
  if (b >= 0x01 && b <= 0x7F) return {MonsterRun::Kind::Transparent, b, 1};
  if (b >= 0x80 && b <= 0xBE) return {MonsterRun::Kind::Fill, static_cast<std::size_t>(0xBF - b), 2};
  const std::size_t pixels = b == 0 ? 256 : static_cast<std::size_t>(0x100 - b);
  return {MonsterRun::Kind::Literal, pixels, 1 + pixels};
}

// Counting pass: the frame's pixels, or false when the last run overruns the frame.
bool CountPixels(std::span<const std::uint8_t> runs, std::uint64_t& count) {
  count = 0;
  std::size_t position = 0;
  while (position < runs.size()) {
    const MonsterRun run = ClassifyRun(runs[position]);
    count += run.pixels;
    position += run.bytes;
  }
  return position == runs.size();
}

// Decoding pass over runs that the counting pass accepted; `pixels` has exactly their size.
void DecodeRuns(std::span<const std::uint8_t> runs, const ColourTable& table,
                std::vector<std::uint8_t>& pixels) {
  std::size_t out = 0;
  std::size_t position = 0;
  // Whole runs at a time rather than a test of the run kind per pixel.
  while (position < runs.size()) {
    const MonsterRun run = ClassifyRun(runs[position]);
    std::uint8_t* at = pixels.data() + out;
    if (run.kind == MonsterRun::Kind::Transparent) {
      std::fill_n(at, run.pixels, std::uint8_t{255});
    } else if (run.kind == MonsterRun::Kind::Fill) {
      std::fill_n(at, run.pixels, table[runs[position + 1]]);
    } else {
      const std::uint8_t* literal = runs.data() + position + 1;
      for (std::size_t k = 0; k < run.pixels; ++k) at[k] = table[literal[k]];
    }
    out += run.pixels;
    position += run.bytes;
  }
}

}  // namespace

MonsterFrameReader::MonsterFrameReader(FileSource& files) : files_(files), recent_(kRecentBudget) {}

MonsterFrameRead MonsterFrameReader::Read(const std::string& spriteName, const std::optional<std::string>& ownTable,
                                          const std::optional<std::string>& bossTable, std::uint32_t frameWidth) {
  const std::string fileName = AnimationFileOfLetterA(spriteName);
  ColourTable own = IdentityTable();
  if (ownTable && !ReadTable(*ownTable, own)) return {std::nullopt, TableProblem(*ownTable)};
  // The boss table is looked for under "CF\MD\" first, then under "CF\SD\".
  ColourTable boss = IdentityTable();
  if (bossTable && !ReadTable("CF\\MD\\" + *bossTable + ".trn", boss) &&
      !ReadTable("CF\\SD\\" + *bossTable + ".trn", boss)) {
    return {std::nullopt, TableProblem("CF\\MD\\" + *bossTable + ".trn (or CF\\SD\\" + *bossTable + ".trn)")};
  }
  MonsterFrame frame;
  for (std::size_t c = 0; c < frame.table.size(); ++c) frame.table[c] = boss[own[c]];

  std::string problem;
  const std::optional<RecentFiles::Entry> sprite = SpriteFrame(fileName, problem);
  if (!sprite) return {std::nullopt, problem};
  if (!sprite->bytes) return {std::nullopt, FrameProblemText(sprite->number, fileName)};
  const std::uint64_t pixelCount = sprite->number;
  const std::uint64_t height = frameWidth == 0 ? 0 : pixelCount / frameWidth;
  // The pixel cap keeps the height within 32 bits.
  if (height == 0 || pixelCount % frameWidth != 0) {
    return {std::nullopt, "frame 0 of " + fileName + " (" + std::to_string(pixelCount) +
                              " pixels) does not divide into rows of " + std::to_string(frameWidth) + " pixels"};
  }
  frame.runs = sprite->bytes;
  frame.width = frameWidth;
  frame.height = static_cast<std::uint32_t>(height);
  frame.spriteFile = fileName;
  return {std::move(frame), {}};
}

bool MonsterFrameReader::ReadTable(const std::string& name, ColourTable& table) {
  const std::string key = "t" + name;
  if (const std::optional<RecentFiles::Entry> kept = recent_.Find(key)) {
    std::copy(kept->bytes->begin(), kept->bytes->end(), table.begin());
    return true;
  }
  // Only tables read whole are kept: a failed read may be a worker that died, which the next
  // read starts again.
  if (!files_.ReadFileExact(table.data(), static_cast<std::uint32_t>(table.size()), name)) return false;
  recent_.Add(key, {std::make_shared<const std::vector<std::uint8_t>>(table.begin(), table.end()), 0});
  return true;
}

std::optional<RecentFiles::Entry> MonsterFrameReader::SpriteFrame(const std::string& fileName, std::string& problem) {
  const std::string key = "s" + fileName;
  if (std::optional<RecentFiles::Entry> kept = recent_.Find(key)) return kept;
  std::vector<std::uint8_t> file;
  const std::int32_t extracted = files_.ExtractFile(file, fileName);
  if (extracted <= 0) {  // not kept, as a failed table read
    problem = "the sprite file " + fileName +
              (extracted < 0 ? " is too large to read" : " is in neither archive or cannot be read");
    return std::nullopt;
  }
  const std::span<const std::uint8_t> whole(
      file.data(), std::min<std::size_t>(file.size(), static_cast<std::size_t>(extracted)));
  // A file read whole but without a usable frame stays so: kept as an entry without bytes,
  // whose number says why.
  RecentFiles::Entry entry{nullptr, kNoFrame};
  std::size_t dataBegin = 0;
  std::size_t dataEnd = 0;
  if (LocateFirstFrame(whole, dataBegin, dataEnd)) {
    const std::span<const std::uint8_t> runs = whole.subspan(dataBegin, dataEnd - dataBegin);
    std::uint64_t pixels = 0;
    // A frame beyond the pixel cap fails as one that does not decode, before its runs are kept.
    if (!CountPixels(runs, pixels)) {
      entry.number = kNotDecodable;
    } else if (pixels > kMaxFramePixels) {
      entry.number = kTooManyPixels;
    } else {
      entry = {std::make_shared<const std::vector<std::uint8_t>>(runs.begin(), runs.end()), pixels};
    }
  }
  recent_.Add(key, entry);
  return entry;
}

void DecodeMonsterFrame(const MonsterFrame& frame, std::vector<std::uint8_t>& pixels) {
  pixels.resize(static_cast<std::size_t>(std::uint64_t{frame.width} * frame.height));
  DecodeRuns(*frame.runs, frame.table, pixels);
}

PictureJob MonsterPictureJob(const PngWriter& png, MonsterFrameRead read) {
  if (!read.frame) {
    return [problem = std::move(read.problem)] { return EncodedPicture{EncodedPicture::Outcome::NotDecoded, {}, problem}; };
  }
  return [&png, frame = std::move(*read.frame)] {
    EncodedPicture picture{EncodedPicture::Outcome::NotEncoded, {}, {}};
    // Kept by the thread for its next picture: a buffer of the same size is not cleared again
    // before the runs fill it.
    thread_local std::vector<std::uint8_t> pixels;
    DecodeMonsterFrame(frame, pixels);
    if (png.EncodePng(frame.width, frame.height, pixels, picture.file)) {
      picture.outcome = EncodedPicture::Outcome::Encoded;
    } else {
      picture.detail = "frame 0 of " + frame.spriteFile + " (" + std::to_string(frame.width) + " x " +
                       std::to_string(frame.height) + " pixels) cannot be made into a PNG file";
    }
    if (pixels.capacity() > kLargestKeptPixels) pixels = {};
    return picture;
  };
}

}  // namespace gvde
