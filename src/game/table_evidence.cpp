#include "game/table_evidence.h"

#include "game/readable_text.h"

namespace gvde {
namespace {

constexpr std::string_view kNoName = "ERROR!";  // the name tables' word for a value outside them

struct KeyText {
  std::string_view key;
  std::string_view title;
};
constexpr std::array<KeyText, 6> kKeyTexts = {{{"ItemTable", "item table"},
                                               {"UniqueTable", "unique item table"},
                                               {"MonsterTable", "monster table"},
                                               {"BossTable", "boss table"},
                                               {"SpellTable", "spell table"},
                                               {"AffixTable", "affix table"}}};

constexpr std::array<std::uint32_t TableAddresses::*, 6> kAddressFields = {
    &TableAddresses::itemTable, &TableAddresses::uniqueTable, &TableAddresses::monsterTable,
    &TableAddresses::bossTable, &TableAddresses::spellTable,  &TableAddresses::affixTable};

std::size_t Index(TableKey key) { return static_cast<std::size_t>(key); }

bool IsSpellCode(std::int64_t code) { return code >= 0 && code <= kSpellCount; }

bool EffectInRange(const EffectEntry& effect) {
  if (effect.code >= kEffectCodeCount) return false;
  return effect.code != kSpellChargesEffect || IsSpellCode(effect.param1);
}

bool InRange(const ItemRecord& item) {
  return DropName(item.dropKind) != kNoName && ItemClassName(item.itemClass) != kNoName &&
         EquipLocationName(item.equipLocation) != kNoName && ItemTypeName(item.itemType) != kNoName &&
         IsSpellCode(item.spell);
}

bool InRange(const UniqueRecord& unique) {
  if (unique.effectCount > unique.effects.size()) return false;
  for (std::uint32_t e = 0; e < EffectsUsed(unique); ++e) {
    if (!EffectInRange(unique.effects[e])) return false;
  }
  return true;
}

bool InRange(const MonsterRecord& monster) {
  return MonsterClassName(monster.monsterClass) != kNoName && monster.AiType() < kAiTypeNameCount &&
         monster.animationSize > 0;
}

bool InRange(const BossRecord& boss) { return boss.aiType < kAiTypeNameCount && boss.baseMonster >= 0; }

bool InRange(const AffixRecord& affix) { return EffectInRange(affix.effect); }

template <typename Record>
void Count(std::span<const Record> records, TableEvidence& evidence) {
  for (const Record& record : records) {
    ++evidence.records;
    if (IsReadableText(record.name)) ++evidence.namesReadable;
    if (InRange(record)) ++evidence.inRange;
  }
}

template <typename Record>
TableEvidence EvidenceOf(std::span<const Record> records) {
  TableEvidence evidence;
  Count(records, evidence);
  return evidence;
}

// Shares as whole-number comparisons: part >= tenths/10 of whole.
bool AtLeastTenths(std::uint32_t part, std::uint32_t whole, std::uint32_t tenths) {
  return std::uint64_t{part} * 10 >= std::uint64_t{whole} * tenths;
}

std::string Of(std::uint32_t part, std::uint32_t whole) {
  return std::to_string(part) + " of " + std::to_string(whole);
}

}  // namespace

std::string_view KeyName(TableKey key) { return kKeyTexts[Index(key)].key; }
std::string_view TableTitle(TableKey key) { return kKeyTexts[Index(key)].title; }
std::uint32_t AddressOf(const TableAddresses& addresses, TableKey key) { return addresses.*kAddressFields[Index(key)]; }
void SetAddress(TableAddresses& addresses, TableKey key, std::uint32_t address) {
  addresses.*kAddressFields[Index(key)] = address;
}

std::string AddressText(std::uint32_t address) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[address % 16]);
    address /= 16;
  } while (address != 0);
  return text;
}

std::bitset<256> ItemUniqueIds(std::span<const ItemRecord> items) {
  std::bitset<256> ids;
  for (const ItemRecord& item : items) ids.set(item.uniqueId);
  return ids;
}

TableEvidence ItemEvidence(std::span<const ItemRecord> items) { return EvidenceOf(items); }

TableEvidence UniqueEvidence(std::span<const UniqueRecord> uniques, const std::bitset<256>* itemUniqueIds) {
  TableEvidence evidence = EvidenceOf(uniques);
  if (itemUniqueIds == nullptr) return evidence;
  evidence.related = 0;
  for (const UniqueRecord& unique : uniques) {
    if (itemUniqueIds->test(unique.uniqueId)) ++*evidence.related;
  }
  return evidence;
}

TableEvidence MonsterEvidence(std::span<const MonsterRecord> monsters) { return EvidenceOf(monsters); }

TableEvidence BossEvidence(std::span<const BossRecord> bosses, std::optional<std::uint32_t> monsterCount) {
  TableEvidence evidence = EvidenceOf(bosses);
  if (!monsterCount) return evidence;
  evidence.related = 0;
  for (const BossRecord& boss : bosses) {
    if (boss.baseMonster >= 0 && static_cast<std::uint32_t>(boss.baseMonster) < *monsterCount) ++*evidence.related;
  }
  return evidence;
}

TableEvidence AffixEvidence(std::span<const AffixRecord> prefixes, std::span<const AffixRecord> suffixes) {
  TableEvidence evidence;
  Count(prefixes, evidence);
  Count(suffixes, evidence);
  evidence.prefixes = static_cast<std::uint32_t>(prefixes.size());
  evidence.suffixes = static_cast<std::uint32_t>(suffixes.size());
  return evidence;
}

TableEvidence SpellEvidence(const SpellNames& names, bool translates) {
  TableEvidence evidence;
  evidence.translates = translates;
  for (const std::string& name : names) {
    ++evidence.records;
    ++evidence.inRange;  // a spell record has nothing else that is read
    if (name != kNoString && IsReadableText(name)) ++evidence.namesReadable;
  }
  return evidence;
}

Verdict Judge(TableKey key, const TableEvidence& e) {
  if (!e.translates || e.records == 0) return Verdict::Wrong;
  // Spell codes past the end of a short spell table read other data, so only a table without
  // a single readable name is plainly wrong.
  const bool fewNames = key == TableKey::Spell ? e.namesReadable == 0 : !AtLeastTenths(e.namesReadable, e.records, 1);
  if (fewNames || !AtLeastTenths(e.inRange, e.records, 5)) return Verdict::Wrong;
  bool ok = e.terminated && AtLeastTenths(e.namesReadable, e.records, 9) && AtLeastTenths(e.inRange, e.records, 8);
  // Uniques whose ID no item carries show "BASE NOT FOUND!"; a few do in a real game.
  if (e.related && key == TableKey::Unique) ok = ok && AtLeastTenths(*e.related, e.records, 5);
  if (e.related && key == TableKey::Boss) ok = ok && AtLeastTenths(*e.related, e.records, 8);
  if (key == TableKey::Affix) ok = ok && e.prefixes > 0 && e.suffixes > 0;
  return ok ? Verdict::Ok : Verdict::Doubtful;
}

std::string_view VerdictWord(Verdict verdict) {
  switch (verdict) {
    case Verdict::Ok: return "ok";
    case Verdict::Doubtful: return "doubtful";
    case Verdict::Wrong: return "wrong";
  }
  return {};
}

std::string DescribeEvidence(TableKey key, const TableEvidence& e) {
  if (!e.translates) return "lies in no section of GV.exe";
  std::string text;
  if (key == TableKey::Affix) {
    text = std::to_string(e.prefixes) + " prefixes, " + std::to_string(e.suffixes) + " suffixes";
  } else {
    text = std::to_string(e.records) + " records";
  }
  text += ", " + std::to_string(e.namesReadable) + " names readable";
  if (key != TableKey::Spell) text += ", " + std::to_string(e.inRange) + " with fields in range";
  if (e.related && key == TableKey::Unique) text += ", " + std::to_string(*e.related) + " with a base item";
  if (e.related && key == TableKey::Boss) text += ", " + std::to_string(*e.related) + " naming a monster";
  if (!e.terminated) text += ", no end marker";
  return text;
}

std::string WrongReason(TableKey key, const TableEvidence& e) {
  if (!e.translates) return "its address lies in no section of GV.exe";
  if (e.records == 0) return key == TableKey::Affix ? "no prefixes before its end marker" : "no records before its end marker";
  if (e.namesReadable == 0 || !AtLeastTenths(e.namesReadable, e.records, 1)) {
    return Of(e.namesReadable, e.records) + " names readable";
  }
  if (!AtLeastTenths(e.inRange, e.records, 5)) return Of(e.records - e.inRange, e.records) + " records out of range";
  return DescribeEvidence(key, e);
}

}  // namespace gvde
