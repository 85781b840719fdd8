#include "export/csv_tables.h"

#include <exception>
#include <optional>

#include "export/csv_text.h"
#include "export/record_objects.h"
#include "export/replacing_file.h"

namespace gvde {

namespace {

// The header comes from the first record's keys, so a category without records gives a file
// that holds only the byte order mark.
void WriteRows(ReplacingFiles& files, const RecordContext& context, std::size_t category) {
  files.Write(kUtf8ByteOrderMark);
  std::vector<std::string> fields;
  const std::size_t count = RecordCount(context.sources.game, category);
  for (std::uint32_t n = 0; n < count; ++n) {
    const Json record = RecordObject(context, category, n);
    fields.clear();
    if (n == 0) {
      for (const auto& field : record.items()) fields.push_back(field.key());
      files.Write(CsvRow(fields));
      fields.clear();
    }
    for (const auto& field : record.items()) fields.push_back(CsvField(field.value()));
    files.Write(CsvRow(fields));
  }
}

// False when the rows could not be made; the JSON library reports running out of memory by
// exception, and it stays inside this module.
bool WriteTable(ReplacingFiles& files, const RecordContext& context, std::size_t category) {
  try {
    WriteRows(files, context, category);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

std::vector<std::string> CsvTableNames() {
  std::vector<std::string> names;
  for (const RecordCategory& category : kRecordCategories) names.push_back(std::string(category.name) + ".csv");
  return names;
}

bool AddCsvTables(ReplacingFiles& files, const std::string& dir, const DataSources& sources) {
  std::optional<RecordContext> context;
  try {
    context.emplace(sources);
  } catch (const std::exception&) {
    return false;
  }
  const std::vector<std::string> names = CsvTableNames();
  for (std::size_t c = 0; c < kRecordCategories.size(); ++c) {
    if (!files.Begin(dir + names[c])) return false;
    if (!files.End(WriteTable(files, *context, c))) return false;
  }
  return true;
}

}  // namespace gvde
