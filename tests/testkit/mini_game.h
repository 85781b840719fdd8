// A small game folder for whole runs on hand-made tables: both archives (the palette, one
// monster sprite 4 pixels wide with its colour table, a boss colour table, item graphics)
// and a GV.exe that the test lays out with the table encoders of the demo game.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "demogame/game_tables.h"
#include "demogame/monster_tables.h"
#include "demogame/mpq_builder.h"
#include "demogame/pe_builder.h"
#include "site/run_config.h"
#include "testkit/recording_host.h"
#include "testkit/temp_dir.h"
#include "testkit/whole_run.h"

namespace gvde::testkit {

// One table of each kind; every record ordinary unless a test changes it.
struct MiniTables {
  std::vector<demogame::ItemSpec> items;
  std::vector<demogame::UniqueSpec> uniques;
  std::vector<demogame::MonsterFields> monsters;
  std::vector<demogame::BossFields> bosses;
  std::vector<demogame::AffixFields> prefixes;
  std::vector<demogame::AffixFields> suffixes;
};

// Which table, if any, is laid out last in the file, without its terminator, so that its
// last record ends exactly at the end of the file. For Prefixes the suffixes are left out.
enum class Unterminated { None, Items, Uniques, Monsters, Bosses, Prefixes };

// Files of the second archive that a test replaces; absent ones keep their ordinary bytes.
struct MiniArchiveFiles {
  std::optional<std::vector<std::uint8_t>> sprite;   // "monsters\mini\minia.anm"
  std::optional<std::vector<std::uint8_t>> invobj1;  // "data\inv\invobj1.cel"
  std::optional<std::vector<std::uint8_t>> invobj3;  // "data\inv\invobj3.cel"
  demogame::MpqFile::Storage spriteStorage = demogame::MpqFile::Storage::Compressed;
  std::vector<demogame::MpqFile> more = {};  // further files of the second archive
};

class MiniGame {
 public:
  static constexpr std::int32_t kSpriteWidth = 4;

  explicit MiniGame(const MiniArchiveFiles& files = {});

  // Two items (a sword of level 1, gold), one unique, two monsters, two bosses, two
  // prefixes and one suffix, all with names.
  MiniTables Ordinary();
  demogame::MonsterFields Monster(const std::string& name);
  demogame::BossFields Boss(const std::string& name, std::int32_t baseMonster);
  demogame::AffixFields Affix(const std::string& name, std::uint32_t level);

  // Adds the spell table, the title and the tables to the data section and sets their
  // addresses in `configuration`.
  void AddTables(const MiniTables& tables, Unterminated last = Unterminated::None);
  // Appends `bytes` so that their last byte is the last byte of the data section's raw data
  // (and of the file, while it is the last section); returns their address.
  std::uint32_t AddAtSectionEnd(const std::vector<std::uint8_t>& bytes);

  // Writes `pe` (or `exe`) as GV.exe and runs into a fresh output folder.
  RunRecord Run();
  RunRecord RunExe(const std::vector<std::uint8_t>& exe);
  // For a run of gvde-cli: `pe` as GV.exe in the game folder, and `configuration` as
  // Effect.ini, AITypes.ini and Address.ini in `configDir`.
  void WriteForCli(const std::string& configDir);

  // A file of the output's data folder; empty when it does not exist.
  std::string Page(const std::string& name) const;
  bool Has(const std::string& name) const;
  std::string OutputDir() const { return scratch_.File("site"); }
  std::string GameDir() const { return scratch_.File("game"); }

  demogame::PeBuilder pe;
  // How long Run waits for the archive reader's worker before it counts as hung.
  std::chrono::milliseconds workerWaitLimit = kWorkerWaitLimit;
  Configuration configuration = PlainConfiguration();
  RecordingHost host;      // answers every question No
  std::uint32_t spriteVa = 0;       // the name pattern of the sprite file that exists
  std::uint32_t translationVa = 0;  // a 256-byte colour table of the monster
  std::uint32_t bossTableVa = 0;    // "ember": CF\MD\ember.trn exists

 private:
  TempDir scratch_;
};

}  // namespace gvde::testkit
