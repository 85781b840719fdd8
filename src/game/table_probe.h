// Reads a table at a game address as a run reads it and gathers its evidence: the finder's
// candidates and the configured tables of gvde-cli --check are judged alike.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>

#include "game/executable.h"
#include "game/table_evidence.h"

namespace gvde {

// What the relations of a table are measured against: the unique IDs of the item table and
// the number of monsters; absent when that table is unknown.
struct TableRelations {
  std::optional<std::bitset<256>> itemUniqueIds;
  std::optional<std::uint32_t> monsterCount;
};

// The evidence of the table `key` at game address `va`.
TableEvidence ProbeTable(const executable& exe, TableKey key, std::uint32_t va, const TableRelations& relations);

// The relations that the item table at `itemVa` and the monster table at `monsterVa` give;
// an address that does not translate gives none.
TableRelations RelationsOf(const executable& exe, std::optional<std::uint32_t> itemVa,
                           std::optional<std::uint32_t> monsterVa);

}  // namespace gvde
