#include "game/item_records.h"

#include <algorithm>
#include <utility>

namespace gvde {

namespace {

constexpr std::uint32_t kEffectSlots = 6;
constexpr std::uint32_t kEffectEntrySize = 12;

ItemRecord DecodeItem(const executable& exe, const RecordView& view) {
  ItemRecord item;
  item.dropKind = view.U32(0x00);
  item.itemClass = view.U8(0x04);
  item.equipLocation = view.U8(0x05);
  item.picture = view.I32(0x08);
  item.itemType = view.U8(0x0C);
  item.uniqueId = view.U8(0x0D);
  item.name = exe.TranslateString(view.U32(0x10)).value_or(std::string());
  item.magicName = exe.TranslateString(view.U32(0x14));
  item.level = view.U32(0x18);
  item.durability = view.I32(0x1C);
  item.minDamage = view.I32(0x20);
  item.maxDamage = view.I32(0x24);
  item.minArmor = view.I32(0x28);
  item.maxArmor = view.I32(0x2C);
  item.reqStr = view.U8(0x30);
  item.reqMag = view.U8(0x31);
  item.reqDex = view.U8(0x32);
  item.reqVit = view.U8(0x33);
  item.specialEffect = view.I32(0x34);
  item.magicCode = view.I32(0x38);
  item.spell = view.I32(0x3C);
  item.consumed = view.I32(0x40);
  item.price = view.I32(0x44);
  if (item.itemType == kGoldItemType) item.picture = kGoldPicture;
  return item;
}

UniqueRecord DecodeUnique(const executable& exe, const RecordView& view) {
  UniqueRecord unique;
  unique.name = exe.TranslateString(view.U32(0x00)).value_or(std::string());
  unique.uniqueId = view.U8(0x04);
  unique.level = view.U8(0x05);
  unique.effectCount = view.U16(0x06);
  unique.price = view.I32(0x08);
  // Entry k (from 1) lies at 12 * k.
  for (std::uint32_t k = 1; k <= kEffectSlots; ++k) {
    const std::uint32_t at = kEffectEntrySize * k;
    EffectEntry& entry = unique.effects[k - 1];
    entry.code = view.U32(at);
    entry.param1 = view.I32(at + 4);
    entry.param2 = view.I32(at + 8);
  }
  return unique;
}

}  // namespace

std::uint32_t EffectsUsed(const UniqueRecord& unique) {
  return std::min<std::uint32_t>(unique.effectCount, kEffectSlots);
}

PreparedItems PrepareItemTable(const executable& exe, std::uint32_t start) {
  PreparedItems prepared;
  const TableWalk walk = WalkTable(exe, start, kItemRecordSize, kItemEndMarkerOffset, kItemEndMarker);
  prepared.records.reserve(walk.records.size());
  for (const RecordView& view : walk.records) {
    ItemRecord item = DecodeItem(exe, view);
    prepared.MaxItemLevel = std::max(prepared.MaxItemLevel, item.level);
    prepared.records.push_back(std::move(item));
  }
  return prepared;
}

PreparedUniques PrepareUniqueTable(const executable& exe, std::uint32_t start) {
  PreparedUniques prepared;
  const TableWalk walk = WalkTable(exe, start, kUniqueRecordSize, kUniqueEndMarkerOffset, kUniqueEndMarker);
  prepared.records.reserve(walk.records.size());
  for (const RecordView& view : walk.records) {
    UniqueRecord unique = DecodeUnique(exe, view);
    prepared.MaxUniqueLevel = std::max<std::uint32_t>(prepared.MaxUniqueLevel, unique.level);
    prepared.MaxUniqueId = std::max<std::uint32_t>(prepared.MaxUniqueId, unique.uniqueId);
    prepared.records.push_back(std::move(unique));
  }
  return prepared;
}

std::optional<std::uint32_t> FindBaseItem(const UniqueRecord& unique, const std::vector<ItemRecord>& items) {
  for (std::size_t index = 0; index < items.size(); ++index) {
    if (items[index].uniqueId == unique.uniqueId) return static_cast<std::uint32_t>(index);
  }
  return std::nullopt;
}

std::int32_t UniquePicture(const UniqueRecord& unique, const ItemRecord& base) {
  const std::uint32_t used = EffectsUsed(unique);
  for (std::uint32_t k = 0; k < used; ++k) {
    if (unique.effects[k].code == kUniquePictureEffect) return unique.effects[k].param1;
  }
  return base.picture;
}

}  // namespace gvde
