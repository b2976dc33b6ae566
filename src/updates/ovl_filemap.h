#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace atelier {

// One complete version of the offline web application: a timestamp and,
// for every file, its path, checksum, timestamp and size.
struct OVLFilemap {
  struct File {
    std::string path;
    std::string md5;
    int64_t ts = 0;
    int64_t size = 0;
  };
  std::optional<int64_t> ts;
  std::optional<std::vector<File>> files;

  // Nothing when a file lacks a member, a type is wrong or a path repeats.
  static std::optional<OVLFilemap> decode(const std::string& json);
  std::string encode() const;

  struct Difference;
  // What turns the current map into the new one; only path and md5 decide.
  static Difference compare(const OVLFilemap& current, const OVLFilemap& next);
};

struct OVLFilemap::Difference {
  OVLFilemap missing;                 // the new map's ts, the files to fetch
  std::vector<std::string> toDelete;  // paths only the current map has
  int64_t downloadSize = 0;
};

}  // namespace atelier
