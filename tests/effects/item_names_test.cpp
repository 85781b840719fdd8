#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "game/item_records.h"

namespace gvde {
namespace {

struct NameCase {
  std::uint32_t value;
  std::string_view text;
};

TEST(ItemNamesTest, DropNames) {
  const std::vector<NameCase> cases = {
      {0, "Not droppable"}, {1, "Droppable"}, {2, "2x Droppable"}, {3, "ERROR!"}, {0xFFFFFFFF, "ERROR!"}};
  for (const NameCase& c : cases) EXPECT_EQ(DropName(c.value), c.text) << c.value;
}

TEST(ItemNamesTest, ItemClassNamesStartAtOne) {
  const std::vector<NameCase> cases = {{0, "ERROR!"},       {1, "Weapon"},
                                       {2, "Armor"},        {3, "Jewelry/Potion/Scroll"},
                                       {4, "Gold"},         {5, "Novelty item"},
                                       {6, "ERROR!"},       {255, "ERROR!"},
                                       {0x80000001, "ERROR!"}};
  for (const NameCase& c : cases) EXPECT_EQ(ItemClassName(c.value), c.text) << c.value;
}

TEST(ItemNamesTest, EquipLocationNamesStartAtOne) {
  const std::vector<NameCase> cases = {{0, "ERROR!"}, {1, "One handed"}, {2, "Two handed"},   {3, "Body"},
                                       {4, "Head"},   {5, "Ring"},       {6, "Amulet"},       {7, "Unequippable"},
                                       {8, "ERROR!"}, {0xFFFFFFFF, "ERROR!"}};
  for (const NameCase& c : cases) EXPECT_EQ(EquipLocationName(c.value), c.text) << c.value;
}

TEST(ItemNamesTest, ItemTypeNames) {
  const std::vector<NameCase> cases = {
      {0, "Misc"},       {1, "Sword"},        {2, "Axe"},    {3, "Bow"},   {4, "Blunt"},
      {5, "Shield"},     {6, "Light Armor"},  {7, "Helm"},   {8, "Mid armor"},
      {9, "Heavy plate"}, {10, "Staff"},      {11, "Gold"},  {12, "Ring"}, {13, "Amulet"},
      {14, "ERROR!"},    {0xFFFFFFFF, "ERROR!"}};
  for (const NameCase& c : cases) EXPECT_EQ(ItemTypeName(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace gvde
