// gvde-demogen: writes a synthetic Grimveil game folder for the demo, the tests and the
// benchmark: OUTDIR/game/ (GV.exe, gvdata.mor, kelddat.mpq) and the three .ini files.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "demogame/demo_game.h"
#include "platform/file_system.h"

namespace {
constexpr const char* kUsage =
    "Usage: gvde-demogen [--scale N] [--layout standard|shuffled] OUTDIR\n"
    "  --scale N   N times the records of the real game (default 1)\n"
    "  --layout    how GV.exe lays out its tables: standard (default), or shuffled: in\n"
    "              another order at odd offsets, with unrelated bytes and decoys between";
}  // namespace

int main(int argc, char** argv) {
  gvde::demogame::DemoOptions options;
  std::string root;
  bool badLayout = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--scale" && i + 1 < argc) {
      options.scale = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--layout" && i + 1 < argc) {
      const std::string_view layout = argv[++i];
      if (layout != "standard" && layout != "shuffled") badLayout = true;
      options.layout = layout == "shuffled" ? gvde::demogame::DemoLayout::Shuffled : gvde::demogame::DemoLayout::Standard;
    } else if (arg == "--help") {
      std::puts(kUsage);
      return 0;
    } else {
      root = arg;
    }
  }
  if (root.empty() || options.scale == 0 || badLayout) {
    std::fprintf(stderr, "%s\n", kUsage);
    return 2;
  }
  if (!gvde::IsDirectory(root) && !gvde::MakeDirectory(root)) {
    std::fprintf(stderr, "Cannot create %s\n", root.c_str());
    return 1;
  }
  gvde::demogame::DemoSummary summary;
  if (!gvde::demogame::WriteDemoGame(root, options, &summary)) {
    std::fprintf(stderr, "Cannot write the demo game into %s\n", root.c_str());
    return 1;
  }
  std::printf("%u items, %u uniques, %u monsters, %u bosses, %u prefixes, %u suffixes, %u item pictures\n",
              summary.items, summary.uniques, summary.monsters, summary.bosses, summary.prefixes,
              summary.suffixes, summary.itemPictures);
  return 0;
}
