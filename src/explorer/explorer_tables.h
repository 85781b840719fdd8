// The explorer's tables: per category the columns a player sorts and filters by, and one row
// per record, taken from the record objects of the data document so that the two agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "export/record_objects.h"

namespace gvde {

// How the page shows and sorts a column's cells.
enum class CellKind {
  Number,  // a number
  Name,    // the record's name, linked to its page
  Text,    // a text, sorted by letters
  Range,   // [low, high], sorted by low then high
  Record,  // the number of a record of another table (or null), shown as its linked name
};

struct ExplorerColumn {
  std::string_view title;
  CellKind kind = CellKind::Number;
  std::string_view table = {};  // for Record: the key of the table it names
};

struct ExplorerTable {
  std::string_view key;    // "items", as in the data document
  std::string_view title;  // "Items"
  std::string_view page;   // the page prefix: record n is data/<page><n>.htm
  std::vector<ExplorerColumn> columns;  // the first two are the number and the name
  std::size_t levelColumn = 0;          // what the search results show as the level
  std::size_t count = 0;
  // Row n: one cell per column, made from the record object.
  std::function<Json(std::uint32_t number)> row;
};

// The six tables in the site's order: items, uniques, monsters, bosses, prefixes, suffixes.
std::vector<ExplorerTable> ExplorerTables(const RecordContext& context);

}  // namespace gvde
