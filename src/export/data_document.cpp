#include "export/data_document.h"

#include <exception>
#include <functional>
#include <new>
#include <string_view>

#include "export/record_objects.h"
#include "platform/file_system.h"

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
    sink_(value.dump());
  }

  void Records(std::string_view key, std::size_t count, const std::function<Json(std::uint32_t)>& object) {
    Key(key);
    if (count == 0) {
      sink_("[]");
      return;
    }
    for (std::uint32_t n = 0; n < count; ++n) {
      sink_(n == 0 ? "[\n    " : ",\n    ");
      sink_(Indented(object(n).dump(kIndent)));
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

  // A record's text one level deeper: printed JSON holds line breaks only between its values.
  static std::string Indented(const std::string& text) {
    std::string indented;
    indented.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
      indented += c;
      if (c == '\n') indented += "    ";
    }
    return indented;
  }

  const Sink& sink_;
  bool first_ = true;
};

void WriteDocument(const RecordContext& context, const Sink& sink) {
  const GameData& game = context.sources.game;
  DocumentWriter document(sink);
  document.Value("format", "gvde-data");
  document.Value("version", 1);
  document.Value("title", RecordContext::Text(game.title));
  document.Records("items", game.items.size(), [&](std::uint32_t n) { return ItemObject(context, n); });
  document.Records("uniques", game.uniques.size(), [&](std::uint32_t n) { return UniqueObject(context, n); });
  document.Records("monsters", game.monsters.size(),
                   [&](std::uint32_t n) { return MonsterObject(context, n); });
  document.Records("bosses", game.bosses.size(), [&](std::uint32_t n) { return BossObject(context, n); });
  for (const AffixKind kind : {AffixKind::Prefix, AffixKind::Suffix}) {
    document.Records(kind == AffixKind::Prefix ? "prefixes" : "suffixes", game.Affixes(kind).size(),
                     [&](std::uint32_t n) { return AffixObject(context, kind, n); });
  }
  document.End();
}

// False when the JSON library refused a value; memory that cannot be had is passed on to end
// the run.
bool WriteDocument(const DataSources& sources, const Sink& sink) {
  try {
    const RecordContext context{sources, {sources.pictures.begin(), sources.pictures.end()}};
    WriteDocument(context, sink);
    return true;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool WriteDataDocument(const std::string& path, const DataSources& sources) {
  const std::string temporary = path + ".tmp";
  OutputFile file;
  if (!file.Create(temporary)) return false;
  bool made = false;
  try {
    made = WriteDocument(sources, [&](std::string_view piece) { file.Write(piece); });
  } catch (const std::bad_alloc&) {
    file.Close();
    RemoveFile(temporary);
    throw;
  }
  if (file.Close() && made && RenameOver(temporary, path)) return true;
  RemoveFile(temporary);
  return false;
}

}  // namespace gvde
