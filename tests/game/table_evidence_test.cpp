// How a table is judged from its evidence: the thresholds between ok, doubtful and wrong, what
// counts as a field in range or a relation, and the words that report it.
#include "game/table_evidence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gvde {
namespace {

TableEvidence Evidence(std::uint32_t records, std::uint32_t readable, std::uint32_t inRange) {
  TableEvidence e;
  e.records = records;
  e.namesReadable = readable;
  e.inRange = inRange;
  return e;
}

TableEvidence With(TableEvidence e, void (*change)(TableEvidence&)) {
  change(e);
  return e;
}

struct JudgeCase {
  TableKey key;
  TableEvidence evidence;
  Verdict verdict;
  const char* what;
};

TEST(TableEvidenceTest, VerdictThresholds) {
  const std::vector<JudgeCase> cases = {
      {TableKey::Item, Evidence(10, 9, 8), Verdict::Ok, "9 in 10 names, 8 in 10 in range"},
      {TableKey::Item, Evidence(10, 8, 10), Verdict::Doubtful, "too few names for ok"},
      {TableKey::Item, Evidence(10, 10, 7), Verdict::Doubtful, "too few in range for ok"},
      {TableKey::Item, Evidence(10, 1, 10), Verdict::Doubtful, "one name in ten is not yet wrong"},
      {TableKey::Item, Evidence(11, 1, 11), Verdict::Wrong, "under a tenth of the names"},
      {TableKey::Item, Evidence(10, 10, 5), Verdict::Doubtful, "half in range is not yet wrong"},
      {TableKey::Item, Evidence(10, 10, 4), Verdict::Wrong, "most records out of range"},
      {TableKey::Item, Evidence(0, 0, 0), Verdict::Wrong, "no records"},
      {TableKey::Item, With(Evidence(10, 10, 10), [](TableEvidence& e) { e.terminated = false; }), Verdict::Doubtful,
       "no end marker"},
      {TableKey::Item, With(Evidence(10, 10, 10), [](TableEvidence& e) { e.translates = false; }), Verdict::Wrong,
       "no place in the file"},
      {TableKey::Unique, With(Evidence(10, 10, 10), [](TableEvidence& e) { e.related = 5; }), Verdict::Ok,
       "half the uniques find a base item"},
      {TableKey::Unique, With(Evidence(10, 10, 10), [](TableEvidence& e) { e.related = 4; }), Verdict::Doubtful,
       "most uniques find no base item"},
      {TableKey::Boss, With(Evidence(10, 10, 10), [](TableEvidence& e) { e.related = 8; }), Verdict::Ok,
       "8 in 10 bosses name a monster"},
      {TableKey::Boss, With(Evidence(10, 10, 10), [](TableEvidence& e) { e.related = 7; }), Verdict::Doubtful,
       "too many bosses name no monster"},
      {TableKey::Affix, With(Evidence(10, 10, 10), [](TableEvidence& e) { e.prefixes = 10; }), Verdict::Doubtful,
       "no suffixes"},
      {TableKey::Affix, With(Evidence(10, 10, 10), [](TableEvidence& e) { e.prefixes = e.suffixes = 5; }),
       Verdict::Ok, "prefixes and suffixes"},
      {TableKey::Spell, Evidence(52, 47, 52), Verdict::Ok, "47 of 52 spell names"},
      {TableKey::Spell, Evidence(52, 46, 52), Verdict::Doubtful, "46 of 52 spell names"},
      {TableKey::Spell, Evidence(52, 1, 52), Verdict::Doubtful, "a short spell table"},
      {TableKey::Spell, Evidence(52, 0, 52), Verdict::Wrong, "no spell name"},
  };
  for (const JudgeCase& c : cases) EXPECT_EQ(Judge(c.key, c.evidence), c.verdict) << c.what;
}

TEST(TableEvidenceTest, CountsNamesFieldsInRangeAndRelations) {
  std::vector<ItemRecord> items(6);
  for (ItemRecord& item : items) {
    item.name = "Sword";
    item.itemClass = 1;
    item.equipLocation = 1;
    item.uniqueId = 3;
  }
  items[0].name = "";           // no name
  items[1].name = "\x01\x02";   // not readable
  items[2].dropKind = 3;        // out of range, one by one
  items[3].itemClass = 6;
  items[4].spell = 53;
  const TableEvidence itemEvidence = ItemEvidence(items);
  EXPECT_EQ(DescribeEvidence(TableKey::Item, itemEvidence), "6 records, 4 names readable, 3 with fields in range");

  std::vector<UniqueRecord> uniques(4);
  for (UniqueRecord& unique : uniques) unique.name = "Crown";
  uniques[0].uniqueId = 3;
  uniques[1].effectCount = 7;                  // more entries than the record holds
  uniques[2].effectCount = 1;
  uniques[2].effects[0] = {kEffectCodeCount, 0, 0};
  uniques[3].effectCount = 1;
  uniques[3].effects[0] = {kSpellChargesEffect, 53, 2};  // charges of no spell
  const std::bitset<256> ids = ItemUniqueIds(items);
  EXPECT_EQ(DescribeEvidence(TableKey::Unique, UniqueEvidence(uniques, &ids)),
            "4 records, 4 names readable, 1 with fields in range, 1 with a base item");
  EXPECT_FALSE(UniqueEvidence(uniques, nullptr).related.has_value());

  std::vector<BossRecord> bosses(3);
  for (BossRecord& boss : bosses) boss.name = "Vulmar";
  bosses[1].baseMonster = 5;
  bosses[2].aiType = 40;
  EXPECT_EQ(DescribeEvidence(TableKey::Boss, BossEvidence(bosses, 5)),
            "3 records, 3 names readable, 2 with fields in range, 2 naming a monster");

  std::vector<MonsterRecord> monsters(2);
  monsters[0].animationSize = 128;
  monsters[1].animationSize = 128;
  monsters[1].aiType = 0x100 + 39;  // only the low 8 bits count
  EXPECT_EQ(MonsterEvidence(monsters).inRange, 2u);
}

TEST(TableEvidenceTest, WrongReasonsSayWhatIsPlainlyWrong) {
  EXPECT_EQ(WrongReason(TableKey::Item, Evidence(165, 0, 3)), "0 of 165 names readable");
  EXPECT_EQ(WrongReason(TableKey::Monster, Evidence(112, 112, 40)), "72 of 112 records out of range");
  EXPECT_EQ(WrongReason(TableKey::Boss, Evidence(0, 0, 0)), "no records before its end marker");
  EXPECT_EQ(WrongReason(TableKey::Affix, Evidence(0, 0, 0)), "no prefixes before its end marker");
  TableEvidence outside;
  outside.translates = false;
  EXPECT_EQ(WrongReason(TableKey::Unique, outside), "its address lies in no section of GV.exe");
  EXPECT_EQ(AddressText(0x4A1000), "4A1000");
  EXPECT_EQ(AddressText(0), "0");
}

}  // namespace
}  // namespace gvde
