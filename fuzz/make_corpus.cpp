// Writes the seed corpora of the fuzz targets from the test kit's builders:
//   gvde-fuzz-corpus <dir>   fills <dir>/<target>/ (the committed seeds live in fuzz/corpus).
// Deterministic: the same builders give the same bytes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "demogame/demo_game.h"
#include "demogame/demo_pictures.h"
#include "demogame/game_tables.h"
#include "demogame/monster_tables.h"
#include "demogame/mpq_builder.h"
#include "demogame/pe_builder.h"
#include "demogame/sprite_encoders.h"
#include "fuzz_support.h"
#include "game/executable.h"
#include "game/item_records.h"
#include "game/monster_records.h"
#include "platform/file_system.h"
#include "testkit/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using gvde::demogame::MpqFile;
using gvde::demogame::PeBuilder;
using gvde::demogame::SpritePicture;
using Storage = MpqFile::Storage;

std::string outRoot;
int failures = 0;

void Save(const std::string& target, const std::string& name, const Bytes& bytes) {
  const std::string dir = outRoot + "/" + target;
  std::filesystem::create_directories(dir);
  if (!gvde::fuzz::WriteBytes(dir + "/" + name, bytes)) {
    std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), name.c_str());
    ++failures;
  }
}

void SaveText(const std::string& target, const std::string& name, const std::string& text) {
  Save(target, name, Bytes(text.begin(), text.end()));
}

Bytes ReadFile(const std::string& path) {
  std::optional<Bytes> bytes = gvde::ReadWholeFile(path, gvde::kMaxExecutableFileSize);
  if (!bytes) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    ++failures;
    return {};
  }
  return *bytes;
}

void AppendU32(Bytes& out, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

// ---- INI reader ----

void IniSeeds(const std::string& demoDir) {
  Save("ini", "demo_address", ReadFile(demoDir + "/Address.ini"));
  SaveText("ini", "groups",
           "; leading comment\r\nItemTable=1A2B\r\n[Addresses]\r\nUniqueTable = 4C00 ; note\r\n"
           "MonsterTable=  5000  \r\n[Other]\r\nBossTable=6000\r\nSpellTable=\r\nTitle=7000;x\r\n");
  SaveText("ini", "line_ends",
           "ItemTable=1\rUniqueTable=2\nMonsterTable=3\r\n\r\nBossTable=4\n\rAffixTable=5");
  SaveText("ini", "repeated_entry", "[A]\nTitle=1\nTitle=2\n");
  SaveText("ini", "repeated_group", "[A]\nx=1\n[B]\ny=2\n[A]\nz=3\n");
  SaveText("ini", "bad_group", "[Open\nx=1\n");
  SaveText("ini", "garbage_after_group", "[G] junk\nx=1\n");
  SaveText("ini", "no_entries", "; only a comment\n[G]\n");
  SaveText("ini", "void_names", "=1\n[]\n x y = 2\n");
  SaveText("ini", "tabs_and_spaces", "\tItemTable=\t1\t\n   \nTitle   =   ;   \n");
}

// ---- GV.exe ----

PeBuilder SmallImage() {
  PeBuilder pe;
  gvde::demogame::ItemSpec sword;
  sword.name = "Sword";
  sword.level = 3;
  gvde::demogame::AddItemTable(pe, {sword, gvde::demogame::ItemSpec{}});
  gvde::demogame::AddSpellTable(pe, {"Firebolt", std::nullopt, "Heal"});
  gvde::demogame::UniqueSpec unique;
  unique.effects = {{1, 5, 10}, {44, 3, 0}};
  gvde::demogame::AddUniqueTable(pe, {unique});
  gvde::demogame::MonsterFields monster;
  monster.name = pe.AddString("Rotter");
  monster.animationFile = pe.AddString("Monsters\\Rotter\\Rotter%c.anm");
  monster.frameCounts = {11, 24, 12, 6, 16, 0};
  gvde::demogame::BossFields boss;
  boss.name = pe.AddString("Boss");
  gvde::demogame::AddMonsterTable(pe, {monster});
  gvde::demogame::AddBossTable(pe, {boss});
  gvde::demogame::AffixFields affix;
  affix.name = pe.AddString("Fiery");
  affix.level = 7;
  gvde::demogame::AddAffixTable(pe, {affix}, {affix});
  pe.AddString("last string without room after it");
  return pe;
}

void ExecutableSeeds(const std::string& demoDir) {
  Save("executable", "demo_gv_exe", ReadFile(demoDir + "/game/GV.exe"));
  Save("executable", "small", SmallImage().Build());

  PeBuilder sections = SmallImage();
  gvde::demogame::PeSection text;
  text.name = ".text";
  text.characteristics = 0x60000020;
  text.data.assign(0x40, 0xCC);
  sections.sections.push_back(text);
  gvde::demogame::PeSection bss;
  bss.name = ".bss";
  bss.characteristics = 0xC0000080;
  bss.virtualSize = 0x1800;
  sections.sections.push_back(bss);
  gvde::demogame::PeSection shortRaw;  // raw data ends before the virtual size
  shortRaw.name = ".short";
  shortRaw.data.assign(0x10, 0x41);
  shortRaw.virtualSize = 0x3000;
  sections.sections.push_back(shortRaw);
  Save("executable", "sections", sections.Build());

  PeBuilder aligned = SmallImage();
  aligned.fileAlignment = 0x1000;
  aligned.peHeaderOffset = 0x40;
  Save("executable", "page_aligned", aligned.Build());

  PeBuilder fewDirectories = SmallImage();
  fewDirectories.numberOfRvaAndSizes = 2;
  Save("executable", "two_directories", fewDirectories.Build());

  // The last bytes of the file are a string without its terminating zero.
  Bytes cut = SmallImage().Build();
  cut.resize(cut.size() - 0x100);
  Save("executable", "cut_short", cut);

  PeBuilder wrongCount = SmallImage();
  wrongCount.numberOfSectionsOverride = 40;
  Save("executable", "wrong_section_count", wrongCount.Build());
}

// ---- monster pictures ----

// The target's input: frame width, flags, tables, animation file.
Bytes MonsterInput(std::uint32_t width, std::uint8_t flags, const Bytes& file) {
  Bytes input;
  AppendU32(input, width);
  input.push_back(flags);
  if (flags & 1) {
    const Bytes own = gvde::demogame::RampTranslation(3, 9);
    input.insert(input.end(), own.begin(), own.end() - ((flags & 8) ? 1 : 0));
  }
  if (flags & 2) {
    const Bytes boss = gvde::demogame::RampTranslation(9, 12);
    input.insert(input.end(), boss.begin(), boss.end());
  }
  input.insert(input.end(), file.begin(), file.end());
  return input;
}

void MonsterSeeds() {
  const Bytes small = gvde::demogame::BuildMonsterFile({{gvde::demogame::DrawMonster(24, 1, 3)}});
  Save("monster_frames", "plain", MonsterInput(24, 0, small));
  Save("monster_frames", "own_table", MonsterInput(24, 1, small));
  Save("monster_frames", "boss_md", MonsterInput(24, 2, small));
  Save("monster_frames", "both_sd", MonsterInput(24, 1 | 2 | 4, small));
  Save("monster_frames", "short_own_table", MonsterInput(24, 1 | 8, small));
  Save("monster_frames", "wrong_width", MonsterInput(25, 0, small));
  const Bytes groups = gvde::demogame::BuildMonsterFile(
      {{gvde::demogame::DrawMonster(48, 2, 5), gvde::demogame::DrawMonster(48, 0, 6)},
       {gvde::demogame::DrawMonster(48, 1, 1)}},
      32);
  Save("monster_frames", "two_groups", MonsterInput(48, 0, groups));
  // A 256-colour literal run (control byte 0), a fill run and a transparent run.
  Bytes runs = {0x00};
  for (int c = 0; c < 256; ++c) runs.push_back(static_cast<std::uint8_t>(c));
  runs.insert(runs.end(), {0x80, 7, 0x7F});
  Save("monster_frames", "all_run_kinds",
       MonsterInput(64, 0, gvde::demogame::BuildMonsterFileFromRuns({{{runs, 2}}})));
}

// ---- item pictures ----

void ItemSeeds() {
  const SpritePicture sword = gvde::demogame::DrawItemPicture(1, 4);
  const SpritePicture ring = gvde::demogame::DrawItemPicture(12, 7);
  const SpritePicture shield = gvde::demogame::DrawItemPicture(5, 2);
  Save("item_frames", "three_frames", gvde::demogame::BuildCelFile({ring, shield, ring}));
  Save("item_frames", "sword", gvde::demogame::BuildCelFile({sword, ring}));
  Save("item_frames", "runs_only", gvde::demogame::EncodeCelRuns(ring));
  // Short runs followed by runs of the same kind end a row early.
  Save("item_frames", "odd_runs",
       gvde::demogame::BuildCelFileFromRuns(
           {{0x03, 1, 2, 3, 0xFD, 0x02, 4, 5, 0xFE, 0x03, 6, 7, 8, 0xFD}, {0x80, 0x80, 0x80, 0x80}, {0x7F}}));
  SpritePicture wide;
  wide.width = 300;
  wide.height = 2;
  for (std::uint32_t k = 0; k < 600; ++k)
    wide.pixels.push_back(k % 7 == 0 ? 255 : static_cast<std::uint8_t>(k % 200));
  Save("item_frames", "wide", gvde::demogame::BuildCelFile({wide, wide}));
}

// ---- archives ----

Bytes Filled(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t k = 0; k < size; ++k) bytes[k] = static_cast<std::uint8_t>((k * 7 + seed) % 13 + (k / 64));
  return bytes;
}

void ArchiveSeeds(const gvde::testkit::TempDir& work) {
  const std::vector<MpqFile> all = {
      {"levels\\l1data\\l1.pal", gvde::demogame::DemoPalette(), Storage::Compressed},
      {"data\\plain.bin", Filled(700, 1), Storage::Plain},
      {"data\\compressed.bin", Filled(5000, 2), Storage::Compressed},
      {"data\\encrypted.bin", Filled(900, 3), Storage::CompressedEncrypted},
      {"data\\fixedkey.bin", Filled(900, 4), Storage::EncryptedFixedKey},
      {"data\\imploded.bin", Filled(900, 5), Storage::Imploded},
      {"data\\bzip2.bin", Filled(900, 6), Storage::Bzip2},
      {"data\\single.bin", Filled(900, 7), Storage::SingleUnit},
  };
  const std::string path = work.File("seed.mpq");
  auto build = [&](const std::string& name, const std::vector<MpqFile>& files) {
    if (!gvde::demogame::BuildMpq(path, files)) {
      std::fprintf(stderr, "cannot build archive %s\n", name.c_str());
      ++failures;
      return Bytes();
    }
    Bytes bytes = ReadFile(path);
    Save("archives", name, bytes);
    return bytes;
  };
  Bytes damaged = build("all_storage_kinds", all);
  for (std::size_t k = 1; k < all.size(); ++k)
    build("only_" + all[k].name.substr(5, all[k].name.size() - 9), {all[k]});
  build("palette_only", {all[0]});
  build("empty", {});
  // Format version and sector-size shift of 0xFFFF: this library version divides by a zero
  // sector size when it opens such an archive.
  if (damaged.size() >= 16) {
    for (std::size_t k = 12; k < 16; ++k) damaged[k] = 0xFF;
    Save("archives", "header_sector_shift_ffff", damaged);
  }
}

// ---- whole run ----

// Patch list input: flags byte, then (offset, value) pairs.
class Patches {
 public:
  explicit Patches(std::uint8_t flags) { bytes_.push_back(flags); }
  Patches& Set(std::uint32_t offset, std::uint32_t value) {
    AppendU32(bytes_, offset);
    AppendU32(bytes_, value);
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

std::uint32_t HexValue(const std::string& text, const std::string& key) {
  const std::size_t at = text.find(key + "=");
  if (at == std::string::npos) {
    ++failures;
    return 0;
  }
  return static_cast<std::uint32_t>(std::stoul(text.substr(at + key.size() + 1), nullptr, 16));
}

void WholeRunSeeds(const std::string& demoDir) {
  const std::string address = gvde::testkit::ReadFileText(demoDir + "/Address.ini");
  const std::unique_ptr<gvde::executable> exe = gvde::executable::Create(demoDir + "/game/GV.exe");
  if (exe->status != gvde::kExeOk) {
    std::fprintf(stderr, "demo GV.exe does not load\n");
    ++failures;
    return;
  }
  auto offsetOf = [&](const std::string& key) {
    return exe->VAToPointer(HexValue(address, key)).value_or(0);
  };
  const std::uint32_t items = offsetOf("ItemTable");
  const std::uint32_t uniques = offsetOf("UniqueTable");
  const std::uint32_t monsters = offsetOf("MonsterTable");
  const std::uint32_t bosses = offsetOf("BossTable");
  const std::uint32_t affixes = offsetOf("AffixTable");
  const std::uint32_t spells = offsetOf("SpellTable");
  auto terminator = [&](std::uint32_t start, std::uint32_t size, std::uint32_t markerOffset,
                        std::uint32_t marker) {
    return gvde::WalkTable(*exe, start, size, markerOffset, marker).terminatorOffset.value_or(0);
  };
  const std::uint32_t itemEnd = terminator(items, 76, gvde::kItemEndMarkerOffset, gvde::kItemEndMarker);
  const std::uint32_t monsterEnd = terminator(monsters, 128, 0, gvde::kMonsterEndMarker);
  const std::uint32_t bossEnd = terminator(bosses, 32, 0, gvde::kBossEndMarker);
  const std::uint32_t prefixEnd = terminator(affixes, 48, 4, 0xFFFFFFFF);
  // The game address of the last raw byte of the first section.
  auto imageWord = [&](std::uint32_t offset) { return exe->Record(offset, 4).U32(0); };
  const std::uint32_t coff = exe->headerOffset;
  const std::uint32_t table = coff + 116 + 8 * imageWord(coff + 112);
  const std::uint32_t lastByte = imageWord(coff + 48) + imageWord(table + 12) + imageWord(table + 16) - 1;

  Save("whole_run", "unchanged", Patches(0).bytes());
  Save("whole_run", "technical_info", Patches(1).bytes());
  Save("whole_run", "item_levels",
       Patches(1).Set(items + 0x18, 0xFFFFFFFF).Set(items + 76 + 0x18, 0x7FFFFFFF).bytes());
  Save("whole_run", "item_fields",
       Patches(1)
           .Set(items + 0x08, 0x7FFFFFFF)
           .Set(items + 0x10, lastByte)
           .Set(items + 0x14, 0xFFFFFFFF)
           .Set(items + 0x3C, 0xFFFFFFFF)
           .Set(items + 0x34, 0x80000000)
           .bytes());
  Save("whole_run", "item_table_unterminated",
       Patches(0).Set(itemEnd + gvde::kItemEndMarkerOffset, 0).bytes());
  Save("whole_run", "unique_fields",
       Patches(1)
           .Set(uniques + 4, 0xFFFFFFFF)
           .Set(uniques + 8, 0x7FFFFFFF)
           .Set(uniques + 12, 0xFFFFFFFF)
           .Set(uniques + 84 + 6, 0xFFFF)
           .bytes());
  Save("whole_run", "monster_fields",
       Patches(1)
           .Set(monsters, 0x7FFFFFFF)
           .Set(monsters + 0x20, 0xFFFFFFFF)
           .Set(monsters + 0x54, 0xFFFFFFFF)
           .Set(monsters + 0x50, lastByte)
           .Set(monsters + 0x58, 0x7FFFFFFF)
           .Set(monsters + 0x7C, 0xFFFFFFFF)
           .bytes());
  Save("whole_run", "monster_table_unterminated", Patches(0).Set(monsterEnd, 0).bytes());
  Save(
      "whole_run", "boss_fields",
      Patches(1).Set(bosses, 0x7FFFFFFF).Set(bosses + 32, 0xFFFFFFFE).Set(bosses + 0x0C, 0xFFFFFFFF).bytes());
  Save("whole_run", "boss_table_unterminated", Patches(0).Set(bossEnd, 0).bytes());
  Save("whole_run", "affix_fields",
       Patches(1)
           .Set(affixes + 0x10, 0xFFFFFFFF)
           .Set(affixes + 0x04, 0xFFFFFFFF)
           .Set(affixes + 48 + 0x10, 0x7FFFFFFF)
           .Set(affixes + 0x14, 0xFFFFFFFF)
           .bytes());
  Save("whole_run", "prefixes_unterminated", Patches(0).Set(prefixEnd + 4, 0).bytes());
  Save("whole_run", "spell_name_at_section_end",
       Patches(0).Set(spells, lastByte).Set(spells + 56, 0).bytes());
  Save("whole_run", "header_sections", Patches(0).Set(coff + 2, 0x00050000 | 3u).bytes());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gvde-fuzz-corpus <output dir>\n");
    return 2;
  }
  outRoot = argv[1];
  const gvde::testkit::TempDir work;
  const std::string demoDir = work.MakeSubdir("demo");
  if (!gvde::demogame::WriteDemoGame(demoDir, gvde::demogame::DemoOptions{}, nullptr)) {
    std::fprintf(stderr, "cannot write the demo game\n");
    return 1;
  }
  IniSeeds(demoDir);
  ExecutableSeeds(demoDir);
  MonsterSeeds();
  ItemSeeds();
  ArchiveSeeds(work);
  WholeRunSeeds(demoDir);
  return failures == 0 ? 0 : 1;
}
