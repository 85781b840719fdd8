// Monster pictures from arbitrary animation files, frame widths and colour tables.
// Input: u32 frame width, u8 flags, the tables the flags ask for (256 bytes each, 255 for a
// wrong-sized own table), then the animation file.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "demogame/demo_pictures.h"
#include "fuzz_support.h"
#include "image/sprites.h"
#include "testkit/png_decode.h"

namespace {

enum Flags : std::uint8_t {
  kOwnTable = 1,
  kBossTable = 2,
  kBossTableUnderSd = 4,  // else under "CF\MD\"
  kShortOwnTable = 8,
};

constexpr char kSpriteName[] = "Monsters\\Fuzz\\Fuzz%c.anm";
constexpr char kSpriteFile[] = "Monsters\\Fuzz\\Fuzza.anm";
constexpr char kOwnTableName[] = "Monsters\\Fuzz\\Own.TRN";
constexpr char kBossTableName[] = "Boss";

std::vector<std::uint8_t> ToVector(std::span<const std::uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gvde::fuzz::InputReader input(data, size);
  const std::uint32_t frameWidth = input.U32();
  const std::uint8_t flags = input.U8();

  gvde::fuzz::MemoryFiles files;
  std::optional<std::string> ownTable;
  std::optional<std::string> bossTable;
  if (flags & kOwnTable) {
    ownTable = kOwnTableName;
    files.files[kOwnTableName] = ToVector(input.Bytes(flags & kShortOwnTable ? 255 : 256));
  }
  if (flags & kBossTable) {
    bossTable = kBossTableName;
    const std::string folder = flags & kBossTableUnderSd ? "CF\\SD\\" : "CF\\MD\\";
    files.files[folder + kBossTableName + ".trn"] = ToVector(input.Bytes(256));
  }
  files.files[kSpriteFile] = ToVector(input.Rest());

  gvde::MonsterFrameReader reader(files);
  const gvde::EncodedPicture picture = gvde::MonsterPictureJob(
      gvde::fuzz::Writer(), reader.Read(kSpriteName, ownTable, bossTable, frameWidth))();
  if (picture.outcome != gvde::EncodedPicture::Outcome::Encoded) return 0;
  // A picture made is a whole PNG of the asked width.
  const std::optional<gvde::testkit::DecodedPng> png = gvde::testkit::DecodePng(picture.file);
  if (!png || png->width != frameWidth || png->height == 0) std::abort();
  return 0;
}
