#include "game/item_records.h"

#include <algorithm>
#include <utility>

namespace gvde {

namespace {

// ItemRecord, 76 bytes.
namespace item_field {
constexpr std::uint32_t kDropKind = 0x00;
constexpr std::uint32_t kItemClass = 0x04;
constexpr std::uint32_t kEquipLocation = 0x05;
constexpr std::uint32_t kPicture = 0x08;
constexpr std::uint32_t kItemType = 0x0C;
constexpr std::uint32_t kUniqueId = 0x0D;
constexpr std::uint32_t kName = kItemNameOffset;
constexpr std::uint32_t kMagicName = 0x14;
constexpr std::uint32_t kLevel = 0x18;
constexpr std::uint32_t kDurability = 0x1C;
constexpr std::uint32_t kMinDamage = 0x20;
constexpr std::uint32_t kMaxDamage = 0x24;
constexpr std::uint32_t kMinArmor = 0x28;
constexpr std::uint32_t kMaxArmor = 0x2C;
constexpr std::uint32_t kReqStr = 0x30;
constexpr std::uint32_t kReqMag = 0x31;
constexpr std::uint32_t kReqDex = 0x32;
constexpr std::uint32_t kReqVit = 0x33;
constexpr std::uint32_t kSpecialEffect = 0x34;
constexpr std::uint32_t kMagicCode = 0x38;
constexpr std::uint32_t kSpell = 0x3C;
constexpr std::uint32_t kConsumed = 0x40;
constexpr std::uint32_t kPrice = 0x44;
}  // namespace item_field

// UniqueRecord, 84 bytes; its effect entries follow from 0x0C.
namespace unique_field {
constexpr std::uint32_t kName = kUniqueNameOffset;
constexpr std::uint32_t kUniqueId = 0x04;
constexpr std::uint32_t kLevel = 0x05;
constexpr std::uint32_t kEffectCount = 0x06;
constexpr std::uint32_t kPrice = 0x08;
}  // namespace unique_field

constexpr std::uint32_t kEffectSlots = 6;

ItemRecord DecodeItem(const executable& exe, const RecordView& view) {
  namespace f = item_field;
  ItemRecord item;
  item.dropKind = view.U32(f::kDropKind);
  item.itemClass = view.U8(f::kItemClass);
  item.equipLocation = view.U8(f::kEquipLocation);
  item.picture = view.I32(f::kPicture);
  item.itemType = view.U8(f::kItemType);
  item.uniqueId = view.U8(f::kUniqueId);
  item.name = exe.TranslateString(view.U32(f::kName)).value_or(std::string());
  item.magicName = exe.TranslateString(view.U32(f::kMagicName));
  item.level = view.U32(f::kLevel);
  item.durability = view.I32(f::kDurability);
  item.minDamage = view.I32(f::kMinDamage);
  item.maxDamage = view.I32(f::kMaxDamage);
  item.minArmor = view.I32(f::kMinArmor);
  item.maxArmor = view.I32(f::kMaxArmor);
  item.reqStr = view.U8(f::kReqStr);
  item.reqMag = view.U8(f::kReqMag);
  item.reqDex = view.U8(f::kReqDex);
  item.reqVit = view.U8(f::kReqVit);
  item.specialEffect = view.I32(f::kSpecialEffect);
  item.magicCode = view.I32(f::kMagicCode);
  item.spell = view.I32(f::kSpell);
  item.consumed = view.I32(f::kConsumed);
  item.price = view.I32(f::kPrice);
  if (item.itemType == kGoldItemType) item.picture = kGoldPicture;
  return item;
}

UniqueRecord DecodeUnique(const executable& exe, const RecordView& view) {
  namespace f = unique_field;
  UniqueRecord unique;
  unique.name = exe.TranslateString(view.U32(f::kName)).value_or(std::string());
  unique.uniqueId = view.U8(f::kUniqueId);
  unique.level = view.U8(f::kLevel);
  unique.effectCount = view.U16(f::kEffectCount);
  unique.price = view.I32(f::kPrice);
  // Entry k (from 1) lies at 12 * k.
  for (std::uint32_t k = 1; k <= kEffectSlots; ++k) {
    unique.effects[k - 1] = DecodeEffectEntry(view, effect_field::kSize * k);
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
    prepared.maxItemLevel = std::max(prepared.maxItemLevel, item.level);
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
    prepared.maxUniqueLevel = std::max<std::uint32_t>(prepared.maxUniqueLevel, unique.level);
    prepared.maxUniqueId = std::max<std::uint32_t>(prepared.maxUniqueId, unique.uniqueId);
    prepared.records.push_back(std::move(unique));
  }
  return prepared;
}

std::int32_t UniquePicture(const UniqueRecord& unique, const ItemRecord& base) {
  const std::uint32_t used = EffectsUsed(unique);
  for (std::uint32_t k = 0; k < used; ++k) {
    if (unique.effects[k].code == kUniquePictureEffect) return unique.effects[k].param1;
  }
  return base.picture;
}

}  // namespace gvde
