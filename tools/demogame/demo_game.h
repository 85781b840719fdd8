// A complete synthetic game folder: GV.exe with every table, both archives with the palette,
// sprites, colour translation tables and item graphics, and the three .ini files.
#pragma once

#include <cstdint>
#include <string>

#include "game/game_data.h"

namespace gvde::demogame {

// How the game's output divides between pages and pictures.
enum class DemoShape : std::uint8_t {
  // 250 item pictures per scale and monster figures 96 to 160 pixels wide: pictures hold about
  // half of the site's bytes.
  Demo,
  // As a real game is shaped: 80 item pictures per scale and monster figures 72 to 120 pixels
  // wide, so that from scale 10 on pages outnumber pictures 2.5 to 1 and hold most of the bytes,
  // and a picture has about 7,800 pixels on average. Records and pages are those of Demo.
  Pages,
};

// How GV.exe lays its tables out. Standard: the texts first, then the tables in the order of
// Address.ini. Shuffled: the tables in another order at odd byte offsets, with unrelated bytes
// between them (stray end markers and text addresses among them), a small decoy table shaped
// like the item table and a decoy version text; the records are those of Standard.
enum class DemoLayout : std::uint8_t { Standard, Shuffled };

struct DemoOptions {
  // Multiplies every record count; 1 is about the size of the real game.
  std::uint32_t scale = 1;
  DemoLayout layout = DemoLayout::Standard;
  // The next version of the same game, as a patch or a mod makes it: the item "Bearded Axe"
  // costs 3100, and the unique item "Ember Crown" (with no base item) is inserted before unique
  // number 45. Everything else is as in the unpatched game.
  bool patched = false;
  DemoShape shape = DemoShape::Demo;
};

struct DemoSummary {
  std::uint32_t items = 0;
  std::uint32_t uniques = 0;
  std::uint32_t monsters = 0;
  std::uint32_t bosses = 0;
  std::uint32_t prefixes = 0;
  std::uint32_t suffixes = 0;
  std::uint32_t itemPictures = 0;        // pictures i0 .. itemPictures-1
  std::uint32_t failingMonster = 0;      // a monster whose sprite is missing
  std::string title;                     // the text at the Title address
  TableAddresses addresses;              // as Address.ini gives them
};

// Writes root/Effect.ini, root/AITypes.ini, root/Address.ini and root/game/ (GV.exe,
// gvdata.mor, kelddat.mpq). `root` must exist. False when a file cannot be written.
bool WriteDemoGame(const std::string& root, const DemoOptions& options, DemoSummary* summary);

}  // namespace gvde::demogame
