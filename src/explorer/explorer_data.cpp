#include "explorer/explorer_data.h"

#include <exception>

#include "explorer/explorer_tables.h"

namespace gvde {
namespace {

using Sink = std::function<void(std::string_view)>;

std::string_view KindName(CellKind kind) {
  switch (kind) {
    case CellKind::Number: return "number";
    case CellKind::Name: return "name";
    case CellKind::Text: return "text";
    case CellKind::Range: return "range";
    case CellKind::Record: return "record";
  }
  return "text";
}

// Compact JSON with every character beyond ASCII escaped.
std::string Ascii(const Json& value) { return value.dump(-1, ' ', true); }

Json Columns(const ExplorerTable& table) {
  Json columns = Json::array();
  for (const ExplorerColumn& column : table.columns) {
    Json c;
    c["title"] = column.title;
    c["kind"] = KindName(column.kind);
    if (!column.table.empty()) c["table"] = column.table;
    columns.push_back(std::move(c));
  }
  return columns;
}

// One table: its description, then its rows one to a line.
void WriteTable(const ExplorerTable& table, const Sink& sink) {
  Json head;
  head["key"] = table.key;
  head["title"] = table.title;
  head["page"] = table.page;
  head["levelColumn"] = table.levelColumn;
  head["columns"] = Columns(table);
  std::string text = Ascii(head);
  text.back() = ',';  // the rows follow inside the same object
  sink(text);
  sink("\"rows\":[");
  for (std::uint32_t n = 0; n < table.count; ++n) {
    sink(n == 0 ? "\n" : ",\n");
    sink(Ascii(table.row(n)));
  }
  sink("]}");
}

void WriteData(const RecordContext& context, const Sink& sink) {
  const DataSources& sources = context.sources;
  sink("var ");
  sink(kExplorerDataVariable);
  sink(" = {\"title\":");
  sink(Ascii(RecordContext::Text(sources.game.title)));
  sink(",\"tables\":[");
  bool first = true;
  for (const ExplorerTable& table : ExplorerTables(context)) {
    sink(first ? "\n" : ",\n");
    first = false;
    WriteTable(table, sink);
  }
  sink("\n]};\n");
}

}  // namespace

// The JSON library reports running out of memory by exception; it stays inside this module.
bool WriteExplorerData(const DataSources& sources, const Sink& sink) {
  try {
    const RecordContext context(sources);
    WriteData(context, sink);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace gvde
