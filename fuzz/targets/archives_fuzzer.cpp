// Damaged archives through the project's archive layer: the input is the game archive
// "gvdata.mor", next to an intact "kelddat.mpq"; files are read from both. A crash or hang of
// the archive library inside the layer's worker process is contained by design; only this
// process failing counts.
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "archive/game_archives.h"
#include "demogame/mpq_builder.h"
#include "fuzz_support.h"
#include "platform/file_system.h"

#if __has_include("archive/archive_header_check.h")
#include "archive/archive_header_check.h"
#define GVDE_FUZZ_HEADER_CHECK 1
#endif

namespace {

using Storage = gvde::demogame::MpqFile::Storage;

// Names the seed archives hold (one per storage method), one only the base archive holds,
// and one that neither holds.
constexpr std::array<const char*, 10> kNames = {
    "levels\\l1data\\l1.pal", "data\\plain.bin",    "data\\compressed.bin", "data\\encrypted.bin",
    "data\\fixedkey.bin",     "data\\imploded.bin", "data\\bzip2.bin",      "data\\single.bin",
    "base\\only.bin",         "absent.bin"};

// Hung workers must be given up well within the fuzzer's own time limit per input (10 s): each
// of the names read can hang its worker once.
constexpr std::chrono::milliseconds kFuzzWaitLimit{500};

void Require(bool condition) {
  if (!condition) std::abort();
}

// The game folder with its intact base archive, written once per process.
const std::string& GameDir() {
  static const std::string dir = [] {
    const std::string game = gvde::fuzz::ScratchDir() + "/game/";
    Require(gvde::MakeDirectory(game));
    const std::vector<gvde::demogame::MpqFile> files = {
        {"levels\\l1data\\l1.pal", std::vector<std::uint8_t>(768, 0x33), Storage::Plain},
        {"base\\only.bin", std::vector<std::uint8_t>(1000, 0x44), Storage::Compressed},
    };
    Require(gvde::demogame::BuildMpq(game + "kelddat.mpq", files));
    return game;
  }();
  return dir;
}

#ifdef GVDE_FUZZ_HEADER_CHECK
// Whether the archive layer refuses the archive before the library sees it.
bool Refused() {
  return gvde::ProbeArchiveFile(GameDir() + "gvdata.mor") != gvde::ArchiveHeaderVerdict::Usable;
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& game = GameDir();
  const std::span<const std::uint8_t> archive(data, size);
  Require(gvde::fuzz::WriteBytes(game + "gvdata.mor", archive));
  gvde::GameArchives archives(kFuzzWaitLimit);
#ifdef GVDE_FUZZ_HEADER_CHECK
  if (Refused()) {
    Require(!archives.OpenArchives(game));
    return 0;
  }
#endif
  if (!archives.OpenArchives(game)) return 0;
  for (const char* name : kNames) {
    std::vector<std::uint8_t> buffer;
    const std::int32_t extracted = archives.ExtractFile(buffer, name);
    if (extracted > 0) Require(buffer.size() == static_cast<std::size_t>(extracted));
    std::vector<std::uint8_t> exact(extracted > 0 ? static_cast<std::size_t>(extracted) : 768);
    (void)archives.ReadFileExact(exact.data(), static_cast<std::uint32_t>(exact.size()), name);
  }
  std::array<std::uint8_t, 768> palette{};
  (void)archives.ReadFileExact(palette.data(), 768, "levels\\l1data\\l1.pal");
  archives.CloseArchives();
  return 0;
}
