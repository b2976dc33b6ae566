#include "updates/ovl_filemap.h"

#include <unordered_map>
#include <unordered_set>

namespace atelier {

std::optional<OVLFilemap> OVLFilemap::decode(const std::string& json) {
  auto parsed = nlohmann::json::parse(json, nullptr, false);
  if (!parsed.is_object()) return std::nullopt;
  OVLFilemap map;
  if (auto ts = parsed.find("ts"); ts != parsed.end() && !ts->is_null()) {
    if (!ts->is_number_integer()) return std::nullopt;
    map.ts = ts->get<int64_t>();
  }
  if (auto files = parsed.find("files"); files != parsed.end() && !files->is_null()) {
    if (!files->is_array()) return std::nullopt;
    map.files.emplace();
    std::unordered_set<std::string> seen;
    for (const auto& entry : *files) {
      if (!entry.is_object()) return std::nullopt;
      auto path = entry.find("path"), md5 = entry.find("md5"), ts = entry.find("ts"), size = entry.find("size");
      if (path == entry.end() || !path->is_string() || md5 == entry.end() || !md5->is_string() ||
          ts == entry.end() || !ts->is_number_integer() || size == entry.end() || !size->is_number_integer()) {
        return std::nullopt;
      }
      File file{path->get<std::string>(), md5->get<std::string>(), ts->get<int64_t>(), size->get<int64_t>()};
      if (!seen.insert(file.path).second) return std::nullopt;  // a repeated path breaks the format
      map.files->push_back(std::move(file));
    }
  }
  return map;
}

std::string OVLFilemap::encode() const {
  // Keys in the format's order, not sorted.
  std::string out = "{";
  if (ts) out += "\"ts\":" + std::to_string(*ts);
  if (files) {
    if (ts) out += ",";
    out += "\"files\":[";
    for (size_t i = 0; i < files->size(); ++i) {
      const auto& file = (*files)[i];
      if (i > 0) out += ",";
      out += "{\"path\":" + nlohmann::json(file.path).dump() + ",\"md5\":" + nlohmann::json(file.md5).dump() +
             ",\"ts\":" + std::to_string(file.ts) + ",\"size\":" + std::to_string(file.size) + "}";
    }
    out += "]";
  }
  return out + "}";
}

namespace {
// A map without "files" counts as an empty list.
const std::vector<OVLFilemap::File>& filesOf(const OVLFilemap& map) {
  static const std::vector<OVLFilemap::File> none;
  return map.files ? *map.files : none;
}
}  // namespace

OVLFilemap::Difference OVLFilemap::compare(const OVLFilemap& current, const OVLFilemap& next) {
  std::unordered_map<std::string, const File*> installed;
  for (const auto& file : filesOf(current)) installed.emplace(file.path, &file);
  std::unordered_set<std::string> toDelete;
  for (const auto& [path, file] : installed) toDelete.insert(path);

  Difference difference;
  difference.missing.ts = next.ts;
  difference.missing.files.emplace();
  for (const auto& file : filesOf(next)) {
    auto found = installed.find(file.path);
    if (found != installed.end()) {
      toDelete.erase(file.path);
      if (found->second->md5 == file.md5) continue;
    }
    difference.missing.files->push_back(file);
    difference.downloadSize += file.size;
  }
  difference.toDelete.assign(toDelete.begin(), toDelete.end());
  return difference;
}

}  // namespace atelier
