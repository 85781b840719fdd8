#include "testkit/mini_game.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "demogame/demo_pictures.h"
#include "demogame/mpq_builder.h"
#include "demogame/sprite_encoders.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {

using demogame::MpqFile;
using demogame::SpritePicture;

namespace {

std::vector<SpritePicture> ItemPictures(std::uint32_t count) {
  std::vector<SpritePicture> pictures;
  for (std::uint32_t p = 0; p < count; ++p) pictures.push_back(demogame::DrawItemPicture(p % 14, 1 + p % 3));
  return pictures;
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

}  // namespace

MiniGame::MiniGame(const MiniArchiveFiles& files) {
  spriteVa = pe.AddString("monsters\\mini\\mini%c.anm");
  translationVa = pe.AddString("monsters\\mini\\minib.trn");
  bossTableVa = pe.AddString("ember");

  const std::string game = scratch_.FreshSubdir("game");
  const SpritePicture frame{kSpriteWidth, 2, {1, 2, 3, 4, 5, 6, 7, 255}};
  std::vector<MpqFile> second;
  second.push_back(
      {"monsters\\mini\\minia.anm", demogame::BuildMonsterFile({{frame, frame}}), files.spriteStorage});
  second.push_back({"monsters\\mini\\minib.trn", demogame::RampTranslation(1, 2)});
  second.push_back({"CF\\MD\\ember.trn", demogame::RampTranslation(2, 3)});
  // 11 frames kept for other uses, 1 picture, 1 never written.
  second.push_back({"data\\inv\\invobj1.cel", demogame::BuildCelFile(ItemPictures(13))});
  second.push_back({"data\\inv\\invobj3.cel", demogame::BuildCelFile(ItemPictures(2))});
  if (files.sprite) second[0].data = *files.sprite;
  if (files.invobj1) second[3].data = *files.invobj1;
  if (files.invobj3) second[4].data = *files.invobj3;
  second.insert(second.end(), files.more.begin(), files.more.end());
  std::vector<MpqFile> first;
  first.push_back({"levels\\l1data\\l1.pal", demogame::DemoPalette()});
  const bool written =
      demogame::BuildMpq(game + "/gvdata.mor", first) && demogame::BuildMpq(game + "/kelddat.mpq", second);
  EXPECT_TRUE(written) << "cannot write the archives of the small game";
}

MiniTables MiniGame::Ordinary() {
  MiniTables tables;
  demogame::ItemSpec sword;
  sword.name = "Short Sword";
  sword.magicName = "Sword of Power";
  sword.level = 1;
  sword.itemType = 1;
  sword.uniqueId = 1;
  sword.picture = 0;
  sword.minDamage = 2;
  sword.maxDamage = 6;
  demogame::ItemSpec gold;
  gold.name = "Gold";
  gold.itemType = 11;
  gold.itemClass = 4;
  gold.level = 1;
  tables.items = {sword, gold};

  demogame::UniqueSpec crown;
  crown.name = "Crown";
  crown.uniqueId = 1;
  crown.level = 3;
  crown.effects = {{0, 1, 2}, {44, 1, 0}};
  tables.uniques = {crown};

  tables.monsters = {Monster("Rotter"), Monster("Imp")};
  tables.bosses = {Boss("Vulmar", 0), Boss("Oskra", 1)};
  tables.prefixes = {Affix("Copper", 1), Affix("Jade", 2)};
  tables.suffixes = {Affix("of the Fox", 3)};
  return tables;
}

demogame::MonsterFields MiniGame::Monster(const std::string& name) {
  demogame::MonsterFields m;
  m.animationSize = kSpriteWidth;
  m.animationFile = spriteVa;
  m.hasColorTranslation = 1;
  m.colorTranslationFile = translationVa;
  m.name = pe.AddString(name);
  m.minDungeonCode = 0;
  m.maxDungeonCode = 3;
  m.monsterLevel = 1;
  m.minHitPoints = 2;
  m.maxHitPoints = 4;
  return m;
}

demogame::BossFields MiniGame::Boss(const std::string& name, std::int32_t baseMonster) {
  demogame::BossFields b;
  b.baseMonster = baseMonster;
  b.name = pe.AddString(name);
  b.colorTranslation = bossTableVa;
  b.dungeonLevel = 2;
  b.hitPoints = 50;
  return b;
}

demogame::AffixFields MiniGame::Affix(const std::string& name, std::uint32_t level) {
  demogame::AffixFields a;
  a.name = pe.AddString(name);
  a.effectParam1 = 1;
  a.effectParam2 = 2;
  a.level = level;
  a.itemClasses = 1;
  return a;
}

std::uint32_t MiniGame::AddAtSectionEnd(const std::vector<std::uint8_t>& bytes) {
  const std::uint32_t used = pe.NextVA() - pe.imageBase - pe.Layout().at(0).virtualAddress;
  const auto size = static_cast<std::uint32_t>(bytes.size());
  pe.AddZeros((pe.fileAlignment - (used + size) % pe.fileAlignment) % pe.fileAlignment);
  return pe.AddData(bytes);
}

void MiniGame::AddTables(const MiniTables& t, Unterminated last) {
  TableAddresses& a = configuration.addresses;
  a.spellTable = demogame::AddSpellTable(pe, {"Firebolt", "Healing", std::nullopt});
  a.title = pe.AddString("Mini game 1.0");
  if (last != Unterminated::Items) a.itemTable = demogame::AddItemTable(pe, t.items);
  if (last != Unterminated::Uniques) a.uniqueTable = demogame::AddUniqueTable(pe, t.uniques);
  if (last != Unterminated::Monsters) a.monsterTable = demogame::AddMonsterTable(pe, t.monsters);
  if (last != Unterminated::Bosses) a.bossTable = demogame::AddBossTable(pe, t.bosses);
  if (last != Unterminated::Prefixes) a.affixTable = demogame::AddAffixTable(pe, t.prefixes, t.suffixes);

  // Encoding adds the texts to the image, so it comes before the padding is worked out.
  std::vector<std::uint8_t> records;
  switch (last) {
    case Unterminated::None:
      return;
    case Unterminated::Items:
      for (const auto& item : t.items) Append(records, demogame::EncodeItemRecord(item, pe));
      a.itemTable = AddAtSectionEnd(records);
      return;
    case Unterminated::Uniques:
      for (const auto& unique : t.uniques) Append(records, demogame::EncodeUniqueRecord(unique, pe));
      a.uniqueTable = AddAtSectionEnd(records);
      return;
    case Unterminated::Monsters:
      for (const auto& monster : t.monsters) Append(records, demogame::EncodeMonster(monster));
      a.monsterTable = AddAtSectionEnd(records);
      return;
    case Unterminated::Bosses:
      for (const auto& boss : t.bosses) Append(records, demogame::EncodeBoss(boss));
      a.bossTable = AddAtSectionEnd(records);
      return;
    case Unterminated::Prefixes:
      for (const auto& prefix : t.prefixes) Append(records, demogame::EncodeAffix(prefix));
      a.affixTable = AddAtSectionEnd(records);
      return;
  }
}

RunRecord MiniGame::Run() { return RunExe(pe.Build()); }

void MiniGame::WriteForCli(const std::string& configDir) {
  const std::vector<std::uint8_t> exe = pe.Build();
  EXPECT_TRUE(WriteFileText(GameDir() + "/GV.exe", std::string(exe.begin(), exe.end())));
  std::string effects;
  for (const std::string& name : configuration.effectNames) effects += name + "\r\n";
  std::string aiTypes;
  for (const std::string& name : configuration.aiTypeNames) aiTypes += name + "\r\n";
  const TableAddresses& a = configuration.addresses;
  std::string addresses;
  for (const auto& [key, va] : {std::pair<const char*, std::uint32_t>{"ItemTable", a.itemTable},
                                {"UniqueTable", a.uniqueTable},
                                {"MonsterTable", a.monsterTable},
                                {"BossTable", a.bossTable},
                                {"SpellTable", a.spellTable},
                                {"AffixTable", a.affixTable},
                                {"Title", a.title}}) {
    char hex[12];
    std::snprintf(hex, sizeof hex, "%X", va);
    addresses += std::string(key) + "=" + hex + "\r\n";
  }
  EXPECT_TRUE(WriteFileText(configDir + "/Effect.ini", effects) && WriteFileText(configDir + "/AITypes.ini", aiTypes) &&
              WriteFileText(configDir + "/Address.ini", addresses));
}

RunRecord MiniGame::RunExe(const std::vector<std::uint8_t>& exe) {
  EXPECT_TRUE(WriteFileText(GameDir() + "/GV.exe", std::string(exe.begin(), exe.end())));
  scratch_.FreshSubdir("site");
  return RunExtraction(GameDir(), OutputDir(), configuration, host, true, 0, workerWaitLimit);
}

std::string MiniGame::Page(const std::string& name) const {
  return ReadFileText(OutputDir() + "/data/" + name);
}

bool MiniGame::Has(const std::string& name) const {
  return FileExists(OutputDir() + "/data/" + name);
}

}  // namespace gvde::testkit
