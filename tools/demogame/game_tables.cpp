#include "demogame/game_tables.h"

#include <algorithm>
#include <span>

namespace gvde::demogame {

namespace {

constexpr std::size_t kItemSize = 0x4C;
constexpr std::size_t kUniqueSize = 0x54;
constexpr std::size_t kSpellSize = 0x38;
constexpr std::size_t kEffectSlots = 6;

std::uint32_t TextVa(const std::optional<std::string>& text, PeBuilder& pe) {
  return text ? pe.AddString(*text) : kUntranslatableVa;
}

std::uint32_t AsU32(std::int32_t value) { return static_cast<std::uint32_t>(value); }

}  // namespace

std::vector<std::uint8_t> EncodeItemRecord(const ItemSpec& item, PeBuilder& pe) {
  std::vector<std::uint8_t> bytes(kItemSize, 0);
  PutU32(bytes, 0x00, item.dropKind);
  PutU8(bytes, 0x04, item.itemClass);
  PutU8(bytes, 0x05, item.equipLocation);
  PutU32(bytes, 0x08, AsU32(item.picture));
  PutU8(bytes, 0x0C, item.itemType);
  PutU8(bytes, 0x0D, item.uniqueId);
  PutU32(bytes, 0x10, TextVa(item.name, pe));
  PutU32(bytes, 0x14, TextVa(item.magicName, pe));
  PutU32(bytes, 0x18, item.level);
  PutU32(bytes, 0x1C, AsU32(item.durability));
  PutU32(bytes, 0x20, AsU32(item.minDamage));
  PutU32(bytes, 0x24, AsU32(item.maxDamage));
  PutU32(bytes, 0x28, AsU32(item.minArmor));
  PutU32(bytes, 0x2C, AsU32(item.maxArmor));
  PutU8(bytes, 0x30, item.reqStr);
  PutU8(bytes, 0x31, item.reqMag);
  PutU8(bytes, 0x32, item.reqDex);
  PutU8(bytes, 0x33, item.reqVit);
  PutU32(bytes, 0x34, AsU32(item.specialEffect));
  PutU32(bytes, 0x38, AsU32(item.magicCode));
  PutU32(bytes, 0x3C, AsU32(item.spell));
  PutU32(bytes, 0x40, AsU32(item.consumed));
  PutU32(bytes, 0x44, AsU32(item.price));
  PutU32(bytes, 0x48, item.endMarker);
  return bytes;
}

std::vector<std::uint8_t> EncodeUniqueRecord(const UniqueSpec& unique, PeBuilder& pe) {
  std::vector<std::uint8_t> bytes(kUniqueSize, 0);
  PutU32(bytes, 0x00, TextVa(unique.name, pe));
  PutU8(bytes, 0x04, unique.uniqueId);
  PutU8(bytes, 0x05, unique.level);
  const std::size_t written = std::min(unique.effects.size(), kEffectSlots);
  PutU16(bytes, 0x06, unique.effectCount.value_or(static_cast<std::uint16_t>(written)));
  PutU32(bytes, 0x08, AsU32(unique.price));
  for (std::size_t k = 1; k <= written; ++k) {
    const EffectEntry& entry = unique.effects[k - 1];
    PutU32(bytes, 12 * k, entry.code);
    PutU32(bytes, 12 * k + 4, AsU32(entry.param1));
    PutU32(bytes, 12 * k + 8, AsU32(entry.param2));
  }
  return bytes;
}

std::vector<std::uint8_t> ItemTableEnd() {
  std::vector<std::uint8_t> bytes(kItemSize, 0);
  PutU32(bytes, 0x48, 0x78787878);
  return bytes;
}

std::vector<std::uint8_t> UniqueTableEnd() {
  std::vector<std::uint8_t> bytes(kUniqueSize, 0);
  PutU32(bytes, 0x50, 0x52525252);
  return bytes;
}

std::uint32_t AddItemTable(PeBuilder& pe, const std::vector<ItemSpec>& items) {
  std::vector<std::uint8_t> table;
  for (const ItemSpec& item : items) {
    const std::vector<std::uint8_t> record = EncodeItemRecord(item, pe);
    table.insert(table.end(), record.begin(), record.end());
  }
  const std::vector<std::uint8_t> end = ItemTableEnd();
  table.insert(table.end(), end.begin(), end.end());
  return pe.AddData(table);
}

std::uint32_t AddUniqueTable(PeBuilder& pe, const std::vector<UniqueSpec>& uniques) {
  std::vector<std::uint8_t> table;
  for (const UniqueSpec& unique : uniques) {
    const std::vector<std::uint8_t> record = EncodeUniqueRecord(unique, pe);
    table.insert(table.end(), record.begin(), record.end());
  }
  const std::vector<std::uint8_t> end = UniqueTableEnd();
  table.insert(table.end(), end.begin(), end.end());
  return pe.AddData(table);
}

std::uint32_t AddSpellTable(PeBuilder& pe, const std::vector<std::optional<std::string>>& names) {
  std::vector<std::uint8_t> table(names.size() * kSpellSize, 0);
  for (std::size_t s = 0; s < names.size(); ++s) PutU32(table, s * kSpellSize, TextVa(names[s], pe));
  return pe.AddData(table);
}

}  // namespace gvde::demogame
