#include <array>
#include <cstdint>
#include <string_view>

#include "game/item_records.h"

namespace gvde {

namespace {

constexpr std::string_view kOutside = "ERROR!";

constexpr std::array<std::string_view, 3> kDropNames = {"Not droppable", "Droppable", "2x Droppable"};

// Index 0 is not a class; the table starts at 1.
constexpr std::array<std::string_view, 5> kItemClassNames = {
    "Weapon", "Armor", "Jewelry/Potion/Scroll", "Gold", "Novelty item"};

// Index 0 is not a location; the table starts at 1.
constexpr std::array<std::string_view, 7> kEquipLocationNames = {
    "One handed", "Two handed", "Body", "Head", "Ring", "Amulet", "Unequippable"};

constexpr std::array<std::string_view, 14> kItemTypeNames = {
    "Misc",        "Sword",     "Axe",         "Bow",   "Blunt", "Shield", "Light Armor",
    "Helm",        "Mid armor", "Heavy plate", "Staff", "Gold",  "Ring",   "Amulet"};

template <std::size_t N>
std::string_view Lookup(const std::array<std::string_view, N>& table, std::uint32_t first,
                        std::uint32_t value) {
  if (value < first || value - first >= N) return kOutside;
  return table[value - first];
}

}  // namespace

std::string_view DropName(std::uint32_t dropKind) { return Lookup(kDropNames, 0, dropKind); }

std::string_view ItemClassName(std::uint32_t itemClass) { return Lookup(kItemClassNames, 1, itemClass); }

std::string_view EquipLocationName(std::uint32_t equipLocation) {
  return Lookup(kEquipLocationNames, 1, equipLocation);
}

std::string_view ItemTypeName(std::uint32_t itemType) { return Lookup(kItemTypeNames, 0, itemType); }

}  // namespace gvde
