// Turns a web-application folder into the shipped database:
//   atelier-bundle-tool FOLDER OUTPUT.db [--resources DIR] [--ts SECONDS]
// Every visible regular file becomes a row (JSON deflated), every folder that
// holds files a directory row, and the file map "ovl-filemap.json" (MD5,
// size and time of each file) is stored beside them.
#include "core/file_io.h"
#include "core/hashing.h"
#include "core/resources.h"
#include "storage/bundle_storages.h"
#include "updates/ovl_filemap.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string_view>

using namespace atelier;
namespace fs = std::filesystem;

namespace {

bool isHidden(const fs::path& relative) {
  for (const auto& part : relative) {
    if (part.string().starts_with('.')) return true;
  }
  return false;
}

int64_t secondsOf(fs::file_time_type time) {
  auto system = std::chrono::file_clock::to_sys(time);
  return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER OUTPUT.db [--resources DIR] [--ts SECONDS]\n", argv[0]);
    return 2;
  }
  fs::path folder = argv[1], output = argv[2];
  std::optional<int64_t> mapTimestamp;
  for (int i = 3; i + 1 < argc; i += 2) {
    std::string_view option = argv[i];
    if (option == "--resources") Resources::setDirectory(argv[i + 1]);  // where version1.sql is
    if (option == "--ts") mapTimestamp = std::atoll(argv[i + 1]);
  }
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    std::fprintf(stderr, "not a folder: %s\n", folder.c_str());
    return 1;
  }

  auto work = output.parent_path() / (output.filename().string() + ".building");
  fs::remove_all(work, ec);
  fs::create_directories(work);
  OVLFilemap map;
  map.files.emplace();
  {
    UpdatedBundleStorage storage(work);  // same schema as the updated database
    std::set<std::string> directories;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file() && !isHidden(fs::relative(entry.path(), folder))) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    int64_t newest = 0;
    for (const auto& file : files) {
      auto relative = fs::relative(file, folder).generic_string();
      auto data = readFileContents(file).value_or("");  // an unreadable file counts as empty
      if (!data.empty() && !storage.createFile(data, relative, true)) {
        std::fprintf(stderr, "could not store %s\n", relative.c_str());
        return 1;
      }
      auto slash = relative.rfind('/');
      if (slash != std::string::npos) directories.insert(relative.substr(0, slash));
      int64_t ts = secondsOf(fs::last_write_time(file));
      newest = std::max(newest, ts);
      map.files->push_back({relative, hashedKey(data), ts, static_cast<int64_t>(data.size())});
    }
    storage.createDirectories(directories);
    map.ts = mapTimestamp.value_or(newest);
    storage.createFile(map.encode(), "ovl-filemap.json", true);
    // One self-contained file: the shipped copy is opened read-only and immutable.
    storage.queue().inDatabase([](SqliteDatabase::Connection& db) {
      return db.executeBatch("PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode=DELETE; VACUUM;");
    });
    std::printf("%zu files, %zu directories, map ts %lld\n", files.size(), directories.size(),
                static_cast<long long>(*map.ts));
  }
  fs::rename(work / "update.db", output, ec);
  if (ec) {
    std::fprintf(stderr, "could not write %s: %s\n", output.c_str(), ec.message().c_str());
    return 1;
  }
  fs::remove_all(work, ec);
  return 0;
}
