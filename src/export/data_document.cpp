#include "export/data_document.h"

#include <exception>
#include <functional>
#include <new>
#include <string_view>

#include "export/record_objects.h"
#include "export/replacing_file.h"

namespace gvde {

namespace {

constexpr int kIndent = 2;

using Sink = std::function<void(std::string_view piece)>;

// Writes the document one record at a time, so that a large game never has the whole document
// in memory. The JSON library prints every key and value; only the layout between them is
// written here, and it is the library's own two-space layout (a test compares the two).
class DocumentWriter {
 public:
  explicit DocumentWriter(const Sink& sink) : sink_(sink) {}

  void Value(std::string_view key, const Json& value) {
    Key(key);
    sink_(Indented(value.dump(kIndent), "  "));
  }

  void Records(std::string_view key, std::size_t count, const std::function<Json(std::uint32_t)>& object) {
    Key(key);
    if (count == 0) {
      sink_("[]");
      return;
    }
    for (std::uint32_t n = 0; n < count; ++n) {
      sink_(n == 0 ? "[\n    " : ",\n    ");
      sink_(Indented(object(n).dump(kIndent), "    "));
    }
    sink_("\n  ]");
  }

  void End() { sink_("\n}\n"); }

 private:
  void Key(std::string_view key) {
    sink_(first_ ? "{\n  " : ",\n  ");
    first_ = false;
    sink_(Json(key).dump());
    sink_(": ");
  }

  // A value's text moved deeper by `margin`: printed JSON holds line breaks only between its
  // values.
  static std::string Indented(const std::string& text, std::string_view margin) {
    std::string indented;
    indented.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
      indented += c;
      if (c == '\n') indented += margin;
    }
    return indented;
  }

  const Sink& sink_;
  bool first_ = true;
};

Json Generator(const DocumentOrigin& origin) {
  Json generator;
  generator["name"] = "gvde";
  generator["version"] = origin.programVersion;
  return generator;
}

Json Source(const DocumentOrigin& origin) {
  Json files = Json::object();
  for (const SourceFile& file : origin.files) {
    Json described;
    described["size"] = file.size;
    described["sha256"] = file.sha256;
    files[file.name] = std::move(described);
  }
  const TableAddresses& a = origin.addresses;
  Json addresses;
  addresses["itemTable"] = a.itemTable;
  addresses["uniqueTable"] = a.uniqueTable;
  addresses["monsterTable"] = a.monsterTable;
  addresses["bossTable"] = a.bossTable;
  addresses["spellTable"] = a.spellTable;
  addresses["affixTable"] = a.affixTable;
  addresses["title"] = a.title;
  Json source;
  source["files"] = std::move(files);
  source["addresses"] = std::move(addresses);
  return source;
}

void WriteDocument(const RecordContext& context, const Sink& sink) {
  const GameData& game = context.sources.game;
  DocumentWriter document(sink);
  document.Value("format", "gvde-data");
  document.Value("version", 2);
  document.Value("generator", Generator(context.sources.origin));
  document.Value("source", Source(context.sources.origin));
  document.Value("title", RecordContext::Text(game.title));
  for (std::size_t c = 0; c < kRecordCategories.size(); ++c) {
    document.Records(kRecordCategories[c].name, RecordCount(game, c),
                     [&](std::uint32_t n) { return RecordObject(context, c, n); });
  }
  document.End();
}

// False when the JSON library refused a value; memory that cannot be had is passed on to end
// the run.
bool WriteDocument(const DataSources& sources, const Sink& sink) {
  try {
    const RecordContext context(sources);
    WriteDocument(context, sink);
    return true;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool AddDataDocument(ReplacingFiles& files, const std::string& path, const DataSources& sources) {
  if (!files.Begin(path)) return false;
  const bool made = WriteDocument(sources, [&](std::string_view piece) { files.Write(piece); });
  return files.End(made);
}

}  // namespace gvde
