// The key of a record: an identity that survives records inserted before it, for comparing two
// versions of a game. "<letter>:<name>#<occurrence>": the category's page letter, the record's
// name exactly as the document gives it, and which record of that name it is in table order,
// counting from 1 ("i:Amulet#2" is the second item named "Amulet"). The letter is the text
// before the first ':' and the occurrence the digits after the last '#', so a name holding ':'
// or '#', or an empty name ("i:#1"), still gives one key per record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace gvde {

// The record categories of the data document, in its order, with their page letters.
struct RecordCategory {
  std::string_view name;
  char letter;
};

inline constexpr std::array<RecordCategory, 6> kRecordCategories = {{{"items", 'i'},
                                                                     {"uniques", 'u'},
                                                                     {"monsters", 'm'},
                                                                     {"bosses", 'b'},
                                                                     {"prefixes", 'p'},
                                                                     {"suffixes", 's'}}};

// Gives the keys of one category's records, one call per record in table order.
class RecordKeys {
 public:
  explicit RecordKeys(char letter) : letter_(letter) {}

  std::string Next(std::string_view name);

 private:
  char letter_;
  std::unordered_map<std::string, std::uint32_t> seen_;
};

}  // namespace gvde
