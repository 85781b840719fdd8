#include "demogame/demo_game.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "demogame/demo_pictures.h"
#include "demogame/dice.h"
#include "demogame/game_tables.h"
#include "demogame/monster_tables.h"
#include "demogame/mpq_builder.h"
#include "demogame/pe_builder.h"
#include "demogame/sprite_encoders.h"
#include "platform/file_system.h"

namespace gvde::demogame {
namespace {

using Storage = MpqFile::Storage;

constexpr std::string_view kTitle = "Grimveil v1.09b (demo data)";

std::string Copy(std::string_view name, std::uint32_t copy) {
  std::string text(name);
  if (copy > 0) text += " " + std::to_string(copy + 1);
  return text;
}

// ---- configuration files ----

constexpr std::array<std::string_view, 94> kEffectNames = {
    "Chance to hit",
    "Chance to hit",
    "Armor",
    "Armor",
    "Hit and damage",
    "Hit and damage",
    "Damage",
    "Damage",
    "Strength",
    "Magic",
    "Dexterity",
    "Vitality",
    "Light",
    "Fire damage",
    "Lightning damage",
    "Strength",
    "Strength gain",
    "Magic gain",
    "Dexterity gain",
    "Magic",
    "Magic",
    "Dexterity",
    "Dexterity",
    "Vitality",
    "Vitality",
    "All attributes",
    "All attributes",
    "Damage taken",
    "Damage taken",
    "Life",
    "Life",
    "Mana",
    "Mana",
    "Life and mana",
    "Life and mana",
    "Durability",
    "Durability",
    "Never breaks",
    "Light radius",
    "Light radius",
    "Extra arrows",
    "Burning arrows",
    "Burning hits",
    "Shocking hits",
    "Own picture",
    "Life drain",
    "Mana theft",
    "Life theft",
    "Piercing",
    "Push back",
    "Damage against beasts",
    "Aim against beasts",
    "Trap protection",
    "Shoves targets",
    "Dazing hits",
    "Mana theft percent",
    "Life theft percent",
    "Target armor",
    "Quick swing",
    "Recovery",
    "Quick guard",
    "Extra damage",
    "Wild arrows",
    "Odd damage",
    "Changed durability",
    "No strength needed",
    "Charges",
    "Swing speed",
    "Fire ward",
    "Storm ward",
    "Magic ward",
    "All wards",
    "Storm arrows",
    "Sparks on hits",
    "Damage against fiends",
    "Damage against the dead",
    "Mana flow",
    "Life flow",
    "No healing",
    "Armor bonus",
    "Less strength",
    "Less magic",
    "Less dexterity",
    "Less vitality",
    "Wards broken",
    "Quick casting",
    "Spikes",
    "Leaping",
    "Damage and wear",
    "Falling stars",
    "Burning steps",
    "Fickle fortune",
    "Mirror image",
    "Trap absorption",
};

constexpr std::array<std::string_view, 40> kAiTypeNames = {
    "Wanderer",
    "Rusher",
    "Shooter",
    "Flyer",
    "Charger",
    "Warlord",
    "Ambusher",
    "Caster",
    "Smasher",
    "Sentry",
    "Statue",
    "Hulk",
    "Enchantress",
    "Prowler",
    "Tempest",
    "Flamer",
    "Leech",
    "Spitter",
    "Construct",
    "Scholar",
    "Warlock",
    "Serpent",
    "Adept",
    "Brood",
    "Overlord",
    "Zealot",
    "Acolyte",
    "Guard",
    "Chieftain",
    "Firewing",
    "Torchbearer",
    "Horned",
    "Bonecaller",
    "Elder bonecaller",
    "Orb",
    "Dark orb",
    "Ossuary",
    "Weaver",
    "Beetle",
    "Husk",
};

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

bool WriteText(const std::string& path, const std::string& text) {
  OutputFile file;
  if (!file.Create(path)) return false;
  file.Write(text);
  return file.Close();
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  OutputFile file;
  if (!file.Create(path)) return false;
  file.Write(bytes.data(), bytes.size());
  return file.Close();
}

std::string Hex(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  return text;
}

// ---- items ----

struct BaseItem {
  std::string_view name;
  std::uint8_t type;
  std::uint32_t level;
};

constexpr BaseItem kBaseItems[] = {
    {"Iron Shortblade", 1, 1},
    {"Bronze Falx", 1, 2},
    {"Reed Cutter", 1, 4},
    {"Marsh Saber", 1, 1},
    {"Knight's Longblade", 1, 6},
    {"Wide Cleaver", 1, 8},
    {"Crag Sword", 1, 10},
    {"Dusk Greatblade", 1, 17},
    {"Pilgrim Blade", 1, 14},
    {"Thorn Rapier", 1, 3},
    {"Hatchet", 2, 2},
    {"Wood Axe", 2, 4},
    {"Bearded Axe", 2, 6},
    {"Twin Axe", 2, 8},
    {"Siege Axe", 2, 10},
    {"Moon Axe", 2, 12},
    {"Reed Bow", 3, 1},
    {"Ashwood Bow", 3, 3},
    {"Yew Bow", 3, 5},
    {"Horn Bow", 3, 7},
    {"Ranger Bow", 3, 9},
    {"Siege Bow", 3, 11},
    {"Cudgel", 4, 1},
    {"Knotted Club", 4, 4},
    {"Iron Mace", 4, 2},
    {"Star Flail", 4, 3},
    {"Chain Flail", 4, 7},
    {"Stone Hammer", 4, 5},
    {"Great Maul", 4, 10},
    {"Round Targe", 5, 1},
    {"Oak Shield", 5, 5},
    {"Iron Heater", 5, 9},
    {"Wall Shield", 5, 14},
    {"Spiked Targe", 5, 20},
    {"Emblem Shield", 5, 23},
    {"Tattered Tunic", 6, 1},
    {"Traveller's Coat", 6, 2},
    {"Linen Robe", 6, 3},
    {"Padded Vest", 6, 4},
    {"Hide Jerkin", 6, 6},
    {"Boiled Leather", 6, 7},
    {"Riveted Jerkin", 6, 9},
    {"Leather Hood", 7, 1},
    {"Iron Cap", 7, 4},
    {"Nasal Helm", 7, 8},
    {"Visored Helm", 7, 12},
    {"Circlet", 7, 16},
    {"Barbute", 7, 20},
    {"Link Hauberk", 8, 11},
    {"Scale Coat", 8, 13},
    {"Lamellar Coat", 8, 15},
    {"Iron Cuirass", 9, 16},
    {"Banded Mail", 9, 17},
    {"Knight's Plate", 9, 19},
    {"Tourney Plate", 9, 21},
    {"Warden Plate", 9, 23},
    {"Fortress Plate", 9, 25},
    {"Walking Staff", 10, 1},
    {"Oak Staff", 10, 4},
    {"Runed Staff", 10, 6},
    {"Crook", 10, 9},
    {"Battle Staff", 10, 12},
    {"Gold", 11, 1},
    {"Ring", 12, 5},
    {"Ring", 12, 10},
    {"Ring", 12, 15},
    {"Amulet", 13, 8},
    {"Amulet", 13, 16},
    {"Potion of Mending", 0, 1},
    {"Potion of Full Mending", 0, 5},
    {"Potion of Focus", 0, 1},
    {"Potion of Full Focus", 0, 5},
    {"Tonic of Might", 0, 15},
    {"Tonic of Wit", 0, 15},
    {"Tonic of Grace", 0, 15},
    {"Tonic of Vigour", 0, 15},
    {"Potion of Renewal", 0, 3},
    {"Scroll of Mending", 0, 1},
    {"Scroll of Lantern", 0, 1},
    {"Scroll of Insight", 0, 1},
    {"Scroll of Flame Ring", 0, 4},
    {"Scroll of Embers", 0, 1},
    {"Scroll of Homecoming", 0, 4},
    {"Scroll of Sparks", 0, 6},
    {"Scroll of Night Eye", 0, 8},
    {"Scroll of Blink", 0, 6},
    {"Scroll of Warding", 0, 8},
    {"Scroll of Fire Tide", 0, 10},
    {"Scroll of Fire Orb", 0, 8},
    {"Scroll of Petrify", 0, 6},
    {"Scroll of Arc", 0, 10},
    {"Scroll of Sentinel", 0, 12},
    {"Scroll of Burst", 0, 14},
    {"Scroll of Clay Servant", 0, 10},
    {"Scroll of Leap", 0, 14},
    {"Scroll of Cataclysm", 0, 22},
    {"Oil of Aim", 0, 1},
    {"Oil of Honing", 0, 1},
    {"Oil of Tempering", 0, 10},
    {"Oil of Lasting", 0, 17},
    {"Smith's Oil", 0, 1},
    {"Glyph of Fire", 0, 1},
    {"Glyph of Storm", 0, 3},
    {"Glyph of Stone", 0, 7},
    {"Tome of Sparks", 0, 1},
    {"Tome of Mending", 0, 1},
    {"Tome of Arc", 0, 3},
    {"Tome of Light", 0, 5},
    {"Tome of Burst", 0, 14},
    {"Old Map", 0, 0},
    {"Wolf Tooth", 0, 0},
    {"Crow Feather", 0, 0},
    {"Tin Soldier", 0, 0},
    {"Silver Key", 0, 0},
    {"Clay Jar", 0, 0},
    {"Moon Pearl", 0, 0},
    {"Black Lichen", 0, 0},
    {"Glass Eye", 0, 0},
    {"Bottled Smoke", 0, 0},
    {"Ember Stone", 0, 0},
    {"Salt Crystal", 0, 0},
    {"Tin Whistle", 0, 0},
    {"Rusted Bell", 0, 0},
    {"Faded Letter", 0, 0},
    {"Torn Page", 0, 0},
    {"Torn Page", 0, 0},
    {"Torn Page", 0, 0},
    {"Bone Dice", 0, 0},
    {"Owl Pellet", 0, 0},
    {"Copper Coin", 0, 0},
    {"Pilgrim's Crook", 10, 0},
    {"Lens Pendant", 13, 0},
    {"Sun Pendant", 13, 0},
    {"Tooth Charm", 13, 0},
    {"Honest Ring", 12, 0},
    {"Plain Band", 12, 0},
    {"Star Band", 12, 0},
    {"Jester Cap", 7, 0},
    {"Steel Mask", 7, 0},
    {"Dented Crown", 7, 0},
    {"Smith's Blade", 1, 0},
    {"Training Sword", 1, 0},
    {"Bent Spear", 1, 2},
    {"Blunt Knife", 1, 1},
    {"Ox Plate", 9, 0},
    {"Cracked Shield", 5, 0},
    {"Practice Shield", 5, 0},
    {"Rusted Mace", 4, 0},
    {"Iron Bar", 4, 2},
    {"Worn Boots", 6, 0},
    {"Training Bow", 3, 0},
    {"<Cursed Idol>", 0, 0},
    {"&Strange Relic", 0, 0},
    {"\xC9" "bony Figurine", 0, 0},
    {"Lantern", 0, 2},
    {"Torch", 0, 1},
    {"Rope", 0, 1},
    {"Whetstone", 0, 2},
    {"Cauldron", 0, 3},
    {"Skull", 0, 4},
    {"Crystal Shard", 0, 6},
    {"Soul Jar", 0, 18},
    {"Brass Cube", 0, 30},
    {"axe", 2, 3},
    {"Axes", 2, 3},
};

struct ItemKind {
  std::uint8_t itemClass;
  std::uint8_t equipLocation;
};

ItemKind KindOf(std::uint8_t type, std::string_view name) {
  switch (type) {
    case 1: case 4: return {1, 1};
    case 2: return {1, 2};
    case 3: case 10: return {1, 2};
    case 5: return {2, 1};
    case 6: case 8: case 9: return {2, 3};
    case 7: return {2, 4};
    case 11: return {4, 7};
    case 12: return {3, 5};
    case 13: return {3, 6};
    default: return {static_cast<std::uint8_t>(name.starts_with("Potion") || name.starts_with("Tonic") ||
                                                       name.starts_with("Scroll") || name.starts_with("Tome")
                                                   ? 3
                                                   : 5),
                     7};
  }
}

constexpr std::uint32_t kShapes = 14;

struct ItemTables {
  std::vector<ItemSpec> items;
  std::uint32_t uniqueIds = 0;  // unique IDs 1 .. uniqueIds name base items
};

ItemTables MakeItems(std::uint32_t scale, std::uint32_t pictureCount, Dice& dice) {
  ItemTables tables;
  std::uint32_t nextUniqueId = 1;
  for (std::uint32_t copy = 0; copy < scale; ++copy) {
    for (const BaseItem& base : kBaseItems) {
      ItemSpec item;
      const ItemKind kind = KindOf(base.type, base.name);
      item.name = Copy(base.name, copy);
      item.itemType = base.type;
      item.itemClass = kind.itemClass;
      item.equipLocation = kind.equipLocation;
      item.level = base.level + copy;
      item.dropKind = base.level == 0 ? 0 : (dice.Below(6) == 0 ? 2 : 1);
      const std::uint32_t variants = pictureCount / kShapes;
      item.picture = static_cast<std::int32_t>(base.type + kShapes * dice.Below(variants));
      if (base.type == 11) item.picture = 0;  // the game forces gold's picture anyway
      item.price = static_cast<std::int32_t>(50 + base.level * (100 + dice.Below(400)));
      if (base.type >= 1 && base.type <= 4) {
        item.minDamage = static_cast<std::int32_t>(1 + base.level / 2);
        item.maxDamage = item.minDamage + dice.Range(0, 10);
        item.durability = dice.Range(20, 60);
        item.reqStr = static_cast<std::uint8_t>(base.level * 5);
        if (base.type == 3) item.reqDex = static_cast<std::uint8_t>(base.level * 4);
      } else if (base.type >= 5 && base.type <= 9) {
        item.minArmor = static_cast<std::int32_t>(base.level * 2);
        item.maxArmor = item.minArmor + (dice.Below(3) == 0 ? 0 : dice.Range(1, 8));
        item.durability = dice.Range(10, 75);
        item.reqStr = static_cast<std::uint8_t>(base.type >= 8 ? base.level * 4 : 0);
      } else if (base.type == 10) {
        item.minDamage = 2;
        item.maxDamage = static_cast<std::int32_t>(4 + base.level);
        item.durability = 25;
        item.reqMag = static_cast<std::uint8_t>(base.level * 3);
        item.spell = dice.Range(1, 52);
      } else if (base.name.starts_with("Scroll") || base.name.starts_with("Potion") ||
                 base.name.starts_with("Tonic") || base.name.starts_with("Oil") || base.name.starts_with("Glyph")) {
        item.consumed = 1;
        if (base.name.starts_with("Scroll") || base.name.starts_with("Glyph")) item.spell = dice.Range(1, 52);
        if (base.name.starts_with("Scroll")) item.reqMag = static_cast<std::uint8_t>(base.level * 3);
      } else if (base.name.starts_with("Tome")) {
        item.spell = dice.Range(1, 60);  // a few codes beyond the spell table
        item.reqMag = static_cast<std::uint8_t>(15 + base.level * 4);
      }
      if (base.type == 12 || base.type == 13) item.reqVit = 0;
      if (item.itemClass == 1 || item.itemClass == 2 || base.type >= 12) {
        item.magicName = Copy(std::string(base.name) + " of Power", copy);
        if (dice.Below(4) == 0) item.magicName.reset();
      }
      item.specialEffect = dice.Range(0, 3);
      item.magicCode = dice.Below(3) == 0 ? dice.Range(1, 40) : 0;
      if (base.level == 0 && base.type != 11 && nextUniqueId < 250) item.uniqueId = static_cast<std::uint8_t>(nextUniqueId++);
      tables.items.push_back(item);
    }
  }
  // Two items sharing one unique ID: the first is the uniques' base.
  tables.items.back().uniqueId = tables.items.front().uniqueId;
  // One item whose magical name does not translate and one with an odd kind value.
  tables.items[5].magicName.reset();
  tables.items[7].dropKind = 7;
  tables.uniqueIds = nextUniqueId - 1;
  return tables;
}

constexpr std::string_view kUniqueFirst[] = {"Grim", "Ashen", "Hollow", "Thunder", "Blood", "Night",
                                             "Storm", "Iron", "Gloom", "Pale"};
constexpr std::string_view kUniqueSecond[] = {"Reaver", "Fang", "Warden", "Crown", "Ward", "Song",
                                              "Edge", "Veil", "Heart"};

std::vector<UniqueSpec> MakeUniques(std::uint32_t scale, std::uint32_t uniqueIds, std::uint32_t pictureCount,
                                    Dice& dice) {
  std::vector<UniqueSpec> uniques;
  for (std::uint32_t copy = 0; copy < scale; ++copy) {
    for (std::string_view first : kUniqueFirst) {
      for (std::string_view second : kUniqueSecond) {
        UniqueSpec unique;
        unique.name = Copy(std::string(first) + " " + std::string(second), copy);
        // IDs past the last base item find no base.
        unique.uniqueId = static_cast<std::uint8_t>(1 + dice.Below(uniqueIds + 3));
        unique.level = static_cast<std::uint8_t>(dice.Range(1, 30));
        unique.price = dice.Range(100, 60000);
        const std::uint32_t effects = dice.Below(7);
        for (std::uint32_t e = 0; e < effects; ++e) {
          EffectEntry entry;
          entry.code = dice.Below(94);
          entry.param1 = dice.Range(-10, 40);
          entry.param2 = entry.param1 + dice.Range(0, 20);
          if (entry.code == 44) entry.param1 = static_cast<std::int32_t>(dice.Below(pictureCount));
          if (entry.code == 66) entry.param1 = dice.Range(1, 52);
          if (entry.code == 58 || entry.code == 59 || entry.code == 67) entry.param1 = dice.Range(0, 5);
          unique.effects.push_back(entry);
        }
        if (dice.Below(5) == 0 && unique.effects.size() < 6) {
          unique.effects.push_back({44, static_cast<std::int32_t>(dice.Below(pictureCount)), 0});
        }
        uniques.push_back(unique);
      }
    }
  }
  return uniques;
}

constexpr std::string_view kSpellNames[] = {
    "Spark",
    "Mend",
    "Arc",
    "Flare",
    "Insight",
    "Flame Ring",
    "Homecoming",
    "Petrify",
    "Night Eye",
    "Blink",
    "Warding",
    "Fire Orb",
    "Sentinel",
    "Chain Arc",
    "Fire Tide",
    "Serpent Swarm",
    "Crimson Rite",
    "Burst",
    "Veil",
    "Pyre",
    "Clay Servant",
    "Fury",
    "Leap",
    "Cataclysm",
    "Mist Form",
    "Mend Gear",
    "Refill Staff",
    "Disarm",
    "Wisp",
    "Static Bolt",
    "Holy Lance",
    "Revive",
    "Far Grasp",
    "Mend Other",
    "Star Shard",
    "Bone Ghost",
    "Focus",
    "Wisdom",
    "Trickster",
    "Storm Wall",
    "Firestorm",
    "Shift",
    "Mirror",
    "Frenzy",
    "Flame Circle",
    "Seek",
    "Fire Glyph",
    "Light Glyph",
    "Burst Glyph",
    "Pyre Glyph",
    "Stone Glyph",
    "Gloom Call",
};

// ---- monsters ----

struct Family {
  std::string_view folder;
  std::string_view ranks[4];
  std::int32_t width;
  std::uint16_t monsterClass;
};

constexpr Family kFamilies[] = {
    {"rotter", {"Rotter", "Grave Shambler", "Mire Corpse", "Plague Husk"}, 128, 0},
    {"imp", {"Cave Imp", "Cinder Imp", "Bog Imp", "Shadow Imp"}, 128, 1},
    {"bonesw", {"Bone Swordsman", "Bone Reaver", "Ash Warrior", "Tomb Knight"}, 128, 0},
    {"hound", {"Carrion Hound", "Marsh Hound", "Ash Hound", "Night Hound"}, 128, 2},
    {"moth", {"Grey Moth", "Dusk Moth", "Ember Moth", "Pale Moth"}, 96, 2},
    {"horned", {"Bristle Clan", "Ridge Clan", "Ember Clan", "Moon Clan"}, 128, 1},
    {"creeper", {"Lurker", "Creeper", "Veiled One", "Mist Walker"}, 128, 1},
    {"wyrmling", {"Ash Wyrmling", "Cave Wyrmling", "Sun Wyrmling", "Storm Wyrmling"}, 160, 2},
    {"cinder", {"Cinder Brute", "Slag Fiend", "Forge Fiend", "Pyre Lord"}, 128, 1},
    {"gale", {"Gale Hag", "Wind Hag", "Squall Queen", "Cyclone"}, 160, 1},
    {"serpent", {"Reed Serpent", "Sand Serpent", "Copper Serpent", "Sky Serpent"}, 160, 2},
    {"warden", {"Iron Warden", "Rust Warden", "Gloom Warden", "Crimson Warden"}, 160, 1},
    {"robed", {"Acolyte", "Deacon", "Heretic", "Archheretic"}, 128, 1},
    {"giant", {"Clay Giant", "Mud Giant", "Bronze Giant", "Glyph Giant"}, 96, 1},
    {"shroud", {"Shroud", "Elder Shroud", "Grave Shroud", "Dust Shroud"}, 128, 0},
    {"weaver", {"Web Crawler", "Cave Weaver", "Silk Spinner", "Brood Mother"}, 128, 2},
    {"beetle", {"Dung Beetle", "Glow Beetle", "Horn Beetle", "Iron Beetle"}, 96, 2},
    {"siren", {"Siren", "Frost Siren", "Ash Siren", "Gloom Siren"}, 128, 1},
    {"ram", {"Ram Fiend", "Bog Charger", "Ice Charger", "Basalt Charger"}, 160, 1},
    {"hollow", {"Hollow Monk", "Empty Abbot", "Woeful Prior", "Null Bishop"}, 128, 0},
    {"maw", {"Bile Maw", "Sludge Maw", "Pit Maw", "Magma Maw"}, 128, 2},
    {"worm", {"Grave Worm", "Tomb Crawler", "Rot Worm", "Pit Worm"}, 96, 2},
    {"wraith", {"Pale Wraith", "Grey Wraith", "Hollow Wraith", "Wailing Wraith"}, 128, 0},
    {"gremlin", {"Gremlin", "Fire Gremlin", "Gloom Gremlin", "Elder Gremlin"}, 96, 1},
    {"wailer", {"Wailer", "Moaner", "Keener", "Howler"}, 128, 0},
    {"bogbeast", {"Marsh Beast", "Bog Stalker", "Swamp Lurker", "Mire King"}, 160, 2},
    {"brute", {"Hill Brute", "Brute Shaman", "Brute Chief", "Brute King"}, 160, 2},
    {"gazer", {"Stone Gazer", "Glass Gazer", "Ember Gazer", "Void Gazer"}, 128, 1},
};

struct MonsterPlan {
  std::vector<MonsterFields> monsters;
  std::vector<MpqFile> gameFiles;  // go into gvdata.mor
  std::vector<MpqFile> baseFiles;  // go into kelddat.mpq
  std::uint32_t failing = 0;
};

MonsterPlan MakeMonsters(PeBuilder& pe, std::uint32_t scale, DemoShape shape, Dice& dice) {
  MonsterPlan plan;
  std::uint32_t familyIndex = 0;
  for (std::uint32_t copy = 0; copy < scale; ++copy) {
    for (const Family& family : kFamilies) {
      const std::string folder = std::string(family.folder) + (copy > 0 ? std::to_string(copy) : "");
      const std::string pattern = "monsters\\" + folder + "\\" + folder + "%c.anm";
      const std::uint32_t patternVa = pe.AddString(pattern);
      // The moth family's second half uses a second copy of the same text: a group of its own.
      const std::uint32_t twinVa = family.folder == "moth" ? pe.AddString(pattern) : patternVa;
      const std::string translation = "monsters\\" + folder + "\\" + folder + "b.trn";
      const std::uint32_t translationVa = pe.AddString(translation);
      const std::uint32_t soundVa = pe.AddString("monsters\\" + folder + "\\" + folder + "%c%i.wav");
      const std::uint32_t ramp = 1 + familyIndex % (kRampCount - 1);
      ++familyIndex;
      const bool missingSprite = family.folder == "wailer" && copy == 0;
      const std::int32_t width = shape == DemoShape::Pages ? family.width * 3 / 4 : family.width;
      if (!missingSprite) {
        const std::string file = "monsters\\" + folder + "\\" + folder + "a.anm";
        std::vector<std::uint8_t> sprite = BuildMonsterFile(
            {{DrawMonster(static_cast<std::uint32_t>(width), familyIndex, ramp),
              DrawMonster(static_cast<std::uint32_t>(width), familyIndex + 1, ramp)}});
        MpqFile entry{file, std::move(sprite), familyIndex % 2 == 0 ? Storage::Compressed : Storage::CompressedEncrypted};
        (familyIndex % 3 == 0 ? plan.gameFiles : plan.baseFiles).push_back(std::move(entry));
      }
      plan.baseFiles.push_back({translation, RampTranslation(ramp, (ramp + 5) % kRampCount), Storage::Plain});
      for (std::uint32_t rank = 0; rank < 4; ++rank) {
        MonsterFields m;
        m.animationSize = width;
        m.seedingSize = width + 32;
        m.animationFile = rank >= 2 ? twinVa : patternVa;
        m.secondAttackEnabled = dice.Below(3) == 0 ? 1 : 0;
        m.soundSet = soundVa;
        m.specialSounds = dice.Below(4) == 0 ? 1 : 0;
        m.hasColorTranslation = rank % 2;
        m.colorTranslationFile = translationVa;
        for (std::size_t i = 0; i < 6; ++i) {
          m.frameCounts[i] = dice.Range(8, 20);
          m.frameDelays[i] = dice.Range(0, 3);
        }
        m.name = pe.AddString(Copy(family.ranks[rank], copy));
        const std::uint32_t depth = (familyIndex * 3 + rank * 4) % 30;
        m.minDungeonCode = static_cast<std::uint8_t>(depth);
        m.maxDungeonCode = static_cast<std::uint8_t>(depth + dice.Below(6));
        m.monsterLevel = static_cast<std::uint16_t>(1 + depth + rank * 2);
        m.minHitPoints = static_cast<std::int32_t>(4 + depth * 6);
        m.maxHitPoints = m.minHitPoints + dice.Range(2, 30);
        m.aiType = dice.Below(12) == 0 ? 0x100u + dice.Below(40) : dice.Below(42);
        m.intelligence = (dice.Below(4) << 8) | dice.Below(256);
        m.aiSubtype = static_cast<std::uint8_t>(dice.Below(4));
        m.toHit = static_cast<std::uint8_t>(10 + dice.Below(80));
        m.attackFrame = static_cast<std::uint8_t>(dice.Range(4, 12));
        m.minDamage = static_cast<std::uint8_t>(1 + depth);
        m.maxDamage = static_cast<std::uint8_t>(m.minDamage + dice.Below(20));
        m.toHit2 = static_cast<std::uint8_t>(dice.Below(100));
        m.attackFrame2 = static_cast<std::uint8_t>(dice.Below(12));
        m.minDamage2 = static_cast<std::uint8_t>(dice.Below(10));
        m.maxDamage2 = static_cast<std::uint8_t>(m.minDamage2 + dice.Below(10));
        m.armor = static_cast<std::uint8_t>(5 + depth * 2);
        m.monsterClass = family.monsterClass;
        m.resistances = static_cast<std::uint16_t>(dice.Below(64) & (dice.Below(2) == 0 ? 0x07 : 0x3F));
        m.doomResistances = dice.Below(2) == 0 ? m.resistances : static_cast<std::uint16_t>(dice.Below(64) | 0x40);
        m.dropType = static_cast<std::uint16_t>(dice.Below(3));
        m.selectionOutline = static_cast<std::uint16_t>(1 + dice.Below(3));
        m.experience = static_cast<std::int32_t>(50 + depth * 100 + rank * 20);
        if (missingSprite && rank == 0) plan.failing = static_cast<std::uint32_t>(plan.monsters.size());
        plan.monsters.push_back(m);
      }
    }
  }
  return plan;
}

constexpr std::string_view kBossTitles[] = {"Vulmar", "Oskra", "Brenn", "Teodric", "Hagmar",
                                            "Zelk", "Morrow", "Ivrel", "Quillan", "Drust"};
constexpr std::string_view kBossEpithets[] = {"the Pale", "the Hungry", "Ironjaw", "the Unkind",
                                              "of the Mire", "Ashhand", "the Patient", "Cloudbane",
                                              "Stonehide", "Redtooth"};

std::vector<BossFields> MakeBosses(PeBuilder& pe, std::uint32_t scale, std::uint32_t monsterCount,
                                   MonsterPlan& plan, Dice& dice) {
  std::vector<BossFields> bosses;
  std::uint32_t number = 0;
  for (std::uint32_t copy = 0; copy < scale; ++copy) {
    for (std::string_view title : kBossTitles) {
      for (std::string_view epithet : kBossEpithets) {
        BossFields b;
        b.baseMonster = static_cast<std::int32_t>(dice.Below(monsterCount));
        b.name = pe.AddString(Copy(std::string(title) + " " + std::string(epithet), copy));
        if (number % 4 == 1) {
          const std::string trn = "bossc" + std::to_string(number);
          b.colorTranslation = pe.AddString(trn);
          const std::string folder = number % 8 == 1 ? "CF\\MD\\" : "CF\\SD\\";
          plan.baseFiles.push_back({folder + trn + ".trn", RampTranslation(dice.Below(kRampCount), 7), Storage::Imploded});
        } else if (number % 4 == 3) {
          b.colorTranslation = 0;  // no translation: the address does not resolve
        } else {
          b.colorTranslation = pe.AddString("common");
        }
        std::uint16_t level = static_cast<std::uint16_t>(1 + dice.Below(16));
        if (number % 10 == 0) level = 0;  // special bosses
        if (number % 23 == 7) level = static_cast<std::uint16_t>(33 + dice.Below(60));
        b.dungeonLevel = level;
        b.hitPoints = static_cast<std::uint16_t>(100 + dice.Below(2000));
        b.aiType = static_cast<std::uint8_t>(dice.Below(44));
        b.aiSubtype = static_cast<std::uint8_t>(dice.Below(4));
        b.minDamage = static_cast<std::uint8_t>(4 + dice.Below(30));
        b.maxDamage = static_cast<std::uint8_t>(b.minDamage + dice.Below(30));
        b.resistances = static_cast<std::uint16_t>(dice.Below(64));
        const std::uint32_t pick = dice.Below(4);
        if (pick == 0) b.resistances = plan.monsters[static_cast<std::size_t>(b.baseMonster)].resistances;
        if (pick == 1) b.resistances = plan.monsters[static_cast<std::size_t>(b.baseMonster)].doomResistances & 0x3F;
        b.packTrigger = static_cast<std::uint16_t>(dice.Below(3));
        b.packValue = b.packTrigger == 1 ? static_cast<std::int32_t>(dice.Below(monsterCount)) : dice.Range(0, 30);
        if (number == 1) {
          b.packTrigger = 1;
          b.packValue = (b.baseMonster + 1) % static_cast<std::int32_t>(monsterCount);
        }
        b.specialSound = dice.Range(0, 12);
        bosses.push_back(b);
        ++number;
      }
    }
  }
  // Keep the shared colour translation of the ordinary bosses in the first archive.
  plan.gameFiles.push_back({"CF\\MD\\common.trn", RampTranslation(2, 10), Storage::Compressed});
  return bosses;
}

// ---- affixes ----

constexpr std::string_view kPrefixWords[] = {"Copper", "Pewter", "Flint", "Granite", "Cobalt", "Opal",
                                             "Amber", "Jade", "Onyx", "Garnet", "Crooked", "Dull",
                                             "Frayed", "Hollow", "Keen", "Hefty", "Fierce", "Grim",
                                             "Savage", "Stalwart"};
constexpr std::string_view kSuffixWords[] = {"of the Gnat", "of the Mole", "of the Ox", "of the Bear",
                                             "of the Bull", "of the Mountain", "of the Colossus",
                                             "of Stiffness", "of Withering", "of the Cat", "of the Fox",
                                             "of the Hawk", "of the Falcon", "of the Eagle", "of the Dunce",
                                             "of Muddle", "of Wit", "of Lore", "of the Sage", "of the Oracle"};

std::vector<AffixFields> MakeAffixes(PeBuilder& pe, std::uint32_t scale, bool prefixes, Dice& dice) {
  std::vector<AffixFields> affixes;
  const auto& words = prefixes ? kPrefixWords : kSuffixWords;
  for (std::uint32_t copy = 0; copy < scale; ++copy) {
    for (std::uint32_t grade = 0; grade < 4; ++grade) {
      for (std::string_view word : words) {
        AffixFields a;
        std::string name(word);
        if (grade > 0) name += prefixes ? std::string(" ") + "IVX"[grade - 1] : std::string(" ") + "IVX"[grade - 1];
        a.name = pe.AddString(Copy(name, copy));
        a.effectCode = dice.Below(94);
        if (a.effectCode == 44) a.effectCode = 45;
        a.effectParam1 = dice.Range(-5, 30);
        a.effectParam2 = a.effectParam1 + dice.Range(0, 15);
        if (a.effectCode == 58 || a.effectCode == 59 || a.effectCode == 67) a.effectParam1 = dice.Range(1, 4);
        if (a.effectCode == 66) a.effectParam1 = dice.Range(1, 52);
        a.level = 1 + grade * 5 + dice.Below(5) + copy;
        static constexpr std::uint32_t kClassMasks[] = {0x1, 0x10, 0x100, 0x1000, 0x10000, 0x100000};
        for (std::uint32_t mask : kClassMasks)
          if (dice.Below(3) == 0) a.itemClasses |= mask;
        a.group = dice.Below(5) == 0 ? 1u : (dice.Below(5) == 0 ? 0x10u : 0u);
        a.inShops = dice.Below(8) == 0 ? 0u : 1u;
        a.minPrice = static_cast<std::int32_t>(100 + grade * 1000 + dice.Below(500));
        a.maxPrice = dice.Below(4) == 0 ? a.minPrice : a.minPrice + dice.Range(100, 5000);
        a.priceMultiplier = dice.Range(1, 10);
        affixes.push_back(a);
      }
    }
  }
  return affixes;
}

// ---- item graphics ----

std::vector<SpritePicture> ItemPictures(std::uint32_t count) {
  std::vector<SpritePicture> pictures;
  pictures.reserve(count);
  for (std::uint32_t p = 0; p < count; ++p) pictures.push_back(DrawItemPicture(p % kShapes, (p / kShapes) % kRampCount));
  return pictures;
}

// invobj1.cel: 11 frames the game keeps for other uses, the first pictures, one unwritten
// frame; invobj3.cel: the remaining pictures and one unwritten frame.
void AddItemGraphics(std::uint32_t pictureCount, MonsterPlan& plan) {
  std::vector<SpritePicture> pictures = ItemPictures(pictureCount);
  const std::uint32_t inFirst = pictureCount * 4 / 5;
  std::vector<SpritePicture> first;
  for (std::uint32_t f = 0; f < 11; ++f) first.push_back(DrawItemPicture(f % kShapes, 0));
  first.insert(first.end(), pictures.begin(), pictures.begin() + inFirst);
  first.push_back(DrawItemPicture(0, 1));
  std::vector<SpritePicture> third(pictures.begin() + inFirst, pictures.end());
  third.push_back(DrawItemPicture(0, 2));
  plan.baseFiles.push_back({"data\\inv\\invobj1.cel", BuildCelFile(first), Storage::Compressed});
  plan.baseFiles.push_back({"data\\inv\\invobj3.cel", BuildCelFile(third), Storage::Bzip2});
}

// Bytes a linker might leave between the tables: random bytes with, now and then, an end
// marker of some table or the address of a text in them. Of random length, so that the next
// table starts at any byte.
void AddUnrelatedBytes(PeBuilder& pe, std::uint32_t textVa, Dice& dice) {
  std::vector<std::uint8_t> bytes(dice.Below(200) + 1);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(dice.Below(256));
  static constexpr std::uint32_t kWords[] = {0x78787878, 0x52525252, 0xFFFFFFFF, 0};
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4 + dice.Below(24)) {
    PutU32(bytes, at, dice.Below(2) == 0 ? textVa : kWords[dice.Below(4)]);
  }
  pe.AddData(bytes);
}

// Three records shaped like items, with names but nothing else of an item: a runner-up that
// the finder must not take for the item table.
void AddDecoyItemTable(PeBuilder& pe) {
  std::vector<ItemSpec> decoys(3);
  for (std::size_t i = 0; i < decoys.size(); ++i) {
    decoys[i].name = "Decoy " + std::to_string(i);
    decoys[i].dropKind = 40;
    decoys[i].itemClass = 77;
  }
  AddItemTable(pe, decoys);
}

// The patched game's two changes; the dice are not touched, so every other record stays.
void Patch(ItemTables& items, std::vector<UniqueSpec>& uniques) {
  constexpr std::size_t kPricedItem = 12;  // "Bearded Axe"
  constexpr std::size_t kInsertedAt = 45;
  items.items[kPricedItem].price = 3100;
  UniqueSpec inserted;
  inserted.name = "Ember Crown";
  inserted.uniqueId = static_cast<std::uint8_t>(items.uniqueIds + 4);  // names no base item
  inserted.level = 12;
  inserted.price = 7000;
  inserted.effects = {{25, 5, 5}, {12, 20, 20}};
  uniques.insert(uniques.begin() + std::min(kInsertedAt, uniques.size()), inserted);
}

}  // namespace

bool WriteDemoGame(const std::string& root, const DemoOptions& options, DemoSummary* summary) {
  const std::uint32_t scale = options.scale == 0 ? 1 : options.scale;
  const bool shuffled = options.layout == DemoLayout::Shuffled;
  Dice dice(20261207u + scale);
  PeBuilder pe;
  const std::uint32_t pictureCount = (options.shape == DemoShape::Pages ? 80 : 250) * scale;
  std::vector<std::optional<std::string>> spells(std::begin(kSpellNames), std::end(kSpellNames));

  TableAddresses at;
  if (!shuffled) {
    at.title = pe.AddString(kTitle);
    at.spellTable = AddSpellTable(pe, spells);
  }

  ItemTables items = MakeItems(scale, pictureCount, dice);
  std::vector<UniqueSpec> uniques = MakeUniques(scale, items.uniqueIds, pictureCount, dice);
  if (options.patched) Patch(items, uniques);
  MonsterPlan plan = MakeMonsters(pe, scale, options.shape, dice);
  std::vector<BossFields> bosses =
      MakeBosses(pe, scale, static_cast<std::uint32_t>(plan.monsters.size()), plan, dice);
  std::vector<AffixFields> prefixes = MakeAffixes(pe, scale, true, dice);
  std::vector<AffixFields> suffixes = MakeAffixes(pe, scale, false, dice);

  if (!shuffled) {
    at.itemTable = AddItemTable(pe, items.items);
    at.uniqueTable = AddUniqueTable(pe, uniques);
    at.monsterTable = AddMonsterTable(pe, plan.monsters);
    at.bossTable = AddBossTable(pe, bosses);
    at.affixTable = AddAffixTable(pe, prefixes, suffixes);
  } else {
    Dice unrelated(4242u + scale);
    const std::uint32_t textVa = pe.AddString("unrelated text");
    const auto gap = [&] { AddUnrelatedBytes(pe, textVa, unrelated); };
    gap();
    at.affixTable = AddAffixTable(pe, prefixes, suffixes);
    gap();
    at.bossTable = AddBossTable(pe, bosses);
    gap();
    AddDecoyItemTable(pe);
    gap();
    at.monsterTable = AddMonsterTable(pe, plan.monsters);
    gap();
    at.spellTable = AddSpellTable(pe, spells);
    gap();
    at.uniqueTable = AddUniqueTable(pe, uniques);
    gap();
    at.itemTable = AddItemTable(pe, items.items);
    gap();
    pe.AddZeros(1);
    pe.AddString("Packer 2.1 tools");
    at.title = pe.AddString(kTitle);
  }

  // Further sections as a linker lays them out: code, uninitialised data, relocations.
  PeSection text;
  text.name = ".text";
  text.characteristics = 0x60000020;
  text.data.assign(0x600, 0xCC);
  pe.sections.push_back(text);
  PeSection bss;
  bss.name = ".bss";
  bss.characteristics = 0xC0000080;
  bss.virtualSize = 0x2400;
  pe.sections.push_back(bss);
  PeSection reloc;
  reloc.name = ".reloc";
  reloc.characteristics = 0x42000040;
  reloc.data.assign(0x30, 0);
  reloc.virtualSize = 0x2C;
  pe.sections.push_back(reloc);

  AddItemGraphics(pictureCount, plan);
  std::vector<std::uint8_t> palette = DemoPalette();
  plan.gameFiles.push_back({"levels\\l1data\\l1.pal", palette, Storage::Compressed});
  // A different palette of the same name in the second archive is never read.
  std::vector<std::uint8_t> wrongPalette(768, 0x40);
  plan.baseFiles.push_back({"levels\\l1data\\l1.pal", wrongPalette, Storage::Plain});

  const std::string game = root + "/game";
  if (!IsDirectory(game) && !MakeDirectory(game)) return false;
  if (!WriteBytes(game + "/GV.exe", pe.Build())) return false;
  if (!BuildMpq(game + "/gvdata.mor", plan.gameFiles)) return false;
  if (!BuildMpq(game + "/kelddat.mpq", plan.baseFiles)) return false;

  std::vector<std::string> effectNames(kEffectNames.begin(), kEffectNames.end());
  std::vector<std::string> aiNames(kAiTypeNames.begin(), kAiTypeNames.end());
  const std::string address = "; Table addresses of the demo GV.exe\r\n"
                              "ItemTable=" + Hex(at.itemTable) + "\r\nUniqueTable=" + Hex(at.uniqueTable) +
                              "\r\nMonsterTable=" + Hex(at.monsterTable) + "\r\nBossTable=" + Hex(at.bossTable) +
                              "\r\nSpellTable=" + Hex(at.spellTable) + "\r\nAffixTable=" + Hex(at.affixTable) +
                              "\r\nTitle=" + Hex(at.title) + "\r\n";
  if (!WriteText(root + "/Effect.ini", Lines(effectNames))) return false;
  if (!WriteText(root + "/AITypes.ini", Lines(aiNames))) return false;
  if (!WriteText(root + "/Address.ini", address)) return false;

  if (summary != nullptr) {
    summary->items = static_cast<std::uint32_t>(items.items.size());
    summary->uniques = static_cast<std::uint32_t>(uniques.size());
    summary->monsters = static_cast<std::uint32_t>(plan.monsters.size());
    summary->bosses = static_cast<std::uint32_t>(bosses.size());
    summary->prefixes = static_cast<std::uint32_t>(prefixes.size());
    summary->suffixes = static_cast<std::uint32_t>(suffixes.size());
    summary->itemPictures = pictureCount;
    summary->failingMonster = plan.failing;
    summary->title = std::string(kTitle);
    summary->addresses = at;
  }
  return true;
}

}  // namespace gvde::demogame
