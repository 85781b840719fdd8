#include "compare/record_differences.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace gvde {

namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Fields that hold the numbers of other records: matched by key, they are compared (and shown)
// as the keys of the records they name, so that an inserted record shifts none of them.
struct Reference {
  std::size_t category;
  std::string_view field;
  std::size_t target;
};
constexpr Reference kReferences[] = {
    {0, "uniques", 1}, {1, "baseItem", 0}, {2, "bosses", 3}, {3, "baseMonster", 2}, {3, "basedOnMonster", 2}};

std::optional<std::size_t> ReferenceTarget(std::size_t category, std::string_view field) {
  for (const Reference& reference : kReferences) {
    if (reference.category == category && reference.field == field) return reference.target;
  }
  return std::nullopt;
}

// A record number as the key of the record it names; anything else (a number naming no record,
// null) as it is.
Json AsKey(const DocumentRecords& target, const Json& value) {
  if (!value.is_number_unsigned() && !(value.is_number_integer() && value >= 0)) return value;
  const auto found = target.byNumber.find(value.get<std::uint64_t>());
  return found == target.byNumber.end() ? value : Json(target.keys[found->second]);
}

Json AsKeys(const DocumentRecords& target, const Json& value) {
  if (!value.is_array()) return AsKey(target, value);
  Json keys = Json::array();
  for (const Json& element : value) keys.push_back(AsKey(target, element));
  return keys;
}

// Calls `visit(name, oldValue, newValue)` for each member of `newObject` that `oldObject` has
// too, walking both in step (documents of one version list the members in one order) and
// searching only where they part. Members that only one of the two has (a version 1 document
// has no effect names) are not visited.
template <typename Visit>
void ForCommonMembers(const Json& oldObject, const Json& newObject, const Visit& visit) {
  const Json::object_t& olds = oldObject.get_ref<const Json::object_t&>();
  std::size_t cursor = 0;
  for (const auto& [name, value] : newObject.get_ref<const Json::object_t&>()) {
    // The map's own [] looks members up by name; the position is the vector's.
    const auto atCursor = olds.begin() + static_cast<std::ptrdiff_t>(cursor);
    if (cursor < olds.size() && atCursor->first == name) {
      ++cursor;
      visit(name, atCursor->second, value);
      continue;
    }
    const auto found = olds.find(name);
    if (found == olds.end()) continue;
    cursor = static_cast<std::size_t>(found - olds.begin()) + 1;
    visit(name, found->second, value);
  }
}

class RecordComparer {
 public:
  explicit RecordComparer(std::vector<ValueChange>& out) : out_(out) {}

  void Values(const std::string& path, const Json& oldValue, const Json& newValue) {
    if (oldValue.is_array() && newValue.is_array()) {
      Lists(path, oldValue, newValue);
    } else if (oldValue.is_object() && newValue.is_object()) {
      Objects(path + ".", oldValue, newValue);
    } else if (oldValue != newValue) {
      out_.push_back({path, oldValue, newValue});
    }
  }

 private:
  void Objects(const std::string& prefix, const Json& oldObject, const Json& newObject) {
    ForCommonMembers(oldObject, newObject, [&](const std::string& name, const Json& oldValue, const Json& newValue) {
      Values(prefix + name, oldValue, newValue);
    });
  }

  // Element by element; the elements only one list has are shown against nothing.
  void Lists(const std::string& path, const Json& oldList, const Json& newList) {
    const std::size_t common = std::min(oldList.size(), newList.size());
    for (std::size_t i = 0; i < std::max(oldList.size(), newList.size()); ++i) {
      const std::string element = path + "[" + std::to_string(i) + "]";
      if (i < common) {
        Values(element, oldList[i], newList[i]);
      } else {
        Alone(element, i < oldList.size() ? &oldList[i] : nullptr, i < newList.size() ? &newList[i] : nullptr);
      }
    }
  }

  // A value that only one side has, down to its plain values.
  void Alone(const std::string& path, const Json* oldValue, const Json* newValue) {
    const Json& value = oldValue != nullptr ? *oldValue : *newValue;
    if (value.is_structured() && !value.empty()) {
      for (const auto& part : value.items()) {
        const std::string inner = value.is_array() ? path + "[" + part.key() + "]" : path + "." + part.key();
        Alone(inner, oldValue != nullptr ? &part.value() : nullptr, newValue != nullptr ? &part.value() : nullptr);
      }
      return;
    }
    ValueChange change{path, std::nullopt, std::nullopt};
    (oldValue != nullptr ? change.oldValue : change.newValue) = value;
    out_.push_back(std::move(change));
  }

  std::vector<ValueChange>& out_;
};

class CategoryComparer {
 public:
  CategoryComparer(const LoadedDocument& oldDocument, const LoadedDocument& newDocument, std::size_t category,
                   MatchBy match)
      : oldDocument_(oldDocument),
        newDocument_(newDocument),
        old_(oldDocument.categories[category]),
        new_(newDocument.categories[category]),
        category_(category),
        match_(match) {}

  CategoryDifferences Compare() {
    CategoryDifferences differences;
    std::vector<bool> oldMatched(old_.records.size(), false);
    const std::unordered_map<std::string_view, std::size_t> oldByKey = KeyIndex();
    for (std::size_t n = 0; n < new_.records.size(); ++n) {
      const std::size_t o = Partner(oldByKey, n);
      if (o == kNotFound) {
        differences.added.push_back(Describe(nullptr, n));
        continue;
      }
      oldMatched[o] = true;
      RecordChange change = Describe(&o, n);
      RecordValues(*old_.records[o], *new_.records[n], change.values);
      if (!change.values.empty()) differences.changed.push_back(std::move(change));
    }
    for (std::size_t o = 0; o < old_.records.size(); ++o) {
      if (!oldMatched[o]) differences.removed.push_back(Describe(&o, kNotFound));
    }
    return differences;
  }

 private:
  std::unordered_map<std::string_view, std::size_t> KeyIndex() const {
    std::unordered_map<std::string_view, std::size_t> index;
    if (match_ == MatchBy::Key) {
      index.reserve(old_.keys.size());
      for (std::size_t o = 0; o < old_.keys.size(); ++o) index.emplace(old_.keys[o], o);
    }
    return index;
  }

  std::size_t Partner(const std::unordered_map<std::string_view, std::size_t>& oldByKey, std::size_t n) const {
    if (match_ == MatchBy::Number) return n < old_.records.size() ? n : kNotFound;
    const auto found = oldByKey.find(new_.keys[n]);
    return found == oldByKey.end() ? kNotFound : found->second;
  }

  RecordChange Describe(const std::size_t* o, std::size_t n) const {
    RecordChange change;
    const bool inNew = n != kNotFound;
    const DocumentRecords& side = inNew ? new_ : old_;
    const std::size_t at = inNew ? n : *o;
    change.key = side.keys[at];
    change.name = side.records[at]->at("name").get<std::string>();
    if (o != nullptr) change.oldNumber = old_.records[*o]->at("number").get<std::uint64_t>();
    if (inNew) change.newNumber = new_.records[n]->at("number").get<std::uint64_t>();
    return change;
  }

  void RecordValues(const Json& oldRecord, const Json& newRecord, std::vector<ValueChange>& out) const {
    RecordComparer values(out);
    ForCommonMembers(oldRecord, newRecord, [&](const std::string& name, const Json& oldValue, const Json& newValue) {
      if (Ignored(name, oldValue, newValue)) return;
      const std::optional<std::size_t> target =
          match_ == MatchBy::Key ? ReferenceTarget(category_, name) : std::nullopt;
      if (target) {
        values.Values(name, AsKeys(oldDocument_.categories[*target], oldValue),
                      AsKeys(newDocument_.categories[*target], newValue));
      } else {
        values.Values(name, oldValue, newValue);
      }
    });
  }

  // The number is what matching by key looks past, and the key is the identity itself. A
  // monster's or boss's picture file is named by its number: matched by key, two written
  // pictures are the same.
  bool Ignored(const std::string& field, const Json& oldValue, const Json& newValue) const {
    if (field == "number" || field == "key") return true;
    const bool numberedPicture = category_ == 2 || category_ == 3;
    return match_ == MatchBy::Key && numberedPicture && field == "pictureFile" && !oldValue.is_null() &&
           !newValue.is_null();
  }

  const LoadedDocument& oldDocument_;
  const LoadedDocument& newDocument_;
  const DocumentRecords& old_;
  const DocumentRecords& new_;
  std::size_t category_;
  MatchBy match_;
};

}  // namespace

bool Differences::Empty() const {
  if (title) return false;
  for (const CategoryDifferences& category : categories) {
    if (!category.Empty()) return false;
  }
  return true;
}

Differences FindDifferences(const LoadedDocument& oldDocument, const LoadedDocument& newDocument, MatchBy match) {
  Differences differences;
  differences.match = match;
  const Json& oldTitle = oldDocument.json.at("title");
  const Json& newTitle = newDocument.json.at("title");
  if (oldTitle != newTitle) differences.title = ValueChange{"title", oldTitle, newTitle};
  for (std::size_t c = 0; c < kRecordCategories.size(); ++c) {
    differences.categories[c] = CategoryComparer(oldDocument, newDocument, c, match).Compare();
  }
  return differences;
}

}  // namespace gvde
