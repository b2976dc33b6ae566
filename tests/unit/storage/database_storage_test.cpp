#include "storage/bundle_storages.h"
#include "storage/deflate_codec.h"
#include "support/test_environment.h"
#include "support/zip_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace atelier::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

struct StoredRow {
  std::string parent;
  int64_t compressed = -1;
  int64_t size = -1;
  std::optional<std::string> data;
};

StoredRow row(DatabaseStorage& storage, const std::string& path) {
  StoredRow result;
  storage.queue().inDatabase([&](SqliteDatabase::Connection& db) {
    db.query("SELECT * FROM tbl_file WHERE path = ?", {path}, [&](const SqlRow& r) {
      result = {r.text("parent_dir"), r.integer("compressed"), r.integer("size"), r.blob("data")};
    });
  });
  return result;
}

int64_t count(DatabaseStorage& storage, const std::string& sql) {
  int64_t n = -1;
  storage.queue().inDatabase([&](SqliteDatabase::Connection& db) {
    db.query(sql, {}, [&](const SqlRow& r) { n = r.integer("n"); });
  });
  return n;
}

class DatabaseStorageTest : public ::testing::Test {
 protected:
  fs::path directory = freshDirectory("update-storage");
  UpdatedBundleStorage storage{directory};
};

TEST_F(DatabaseStorageTest, PathsAreNormalisedAndJSONIsCompressed) {
  const std::string json = R"({"name": "config", "values": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12]})";
  ASSERT_TRUE(storage.createFile(json, "/app/config.json/", true));
  EXPECT_TRUE(storage.fileExists("app/config.json"));
  auto stored = row(storage, "app/config.json");
  EXPECT_EQ(stored.parent, "app");
  EXPECT_EQ(stored.compressed, 1);
  EXPECT_EQ(stored.size, static_cast<int64_t>(stored.data->size()));
  EXPECT_EQ(inflateData(*stored.data), json);
  EXPECT_EQ(storage.contents("app/config.json").value(), json);

  ASSERT_TRUE(storage.createFile(json, "app/x.JSON", true));
  EXPECT_EQ(row(storage, "app/x.JSON").compressed, 0) << "only lower-case .json is compressed";
  EXPECT_EQ(storage.contents("app/x.JSON").value(), json);

  ASSERT_TRUE(storage.createFile("", "app/empty.txt", true));
  EXPECT_FALSE(storage.fileExists("app/empty.txt"));
  EXPECT_FALSE(storage.contents("app/empty.txt"));

  ASSERT_TRUE(storage.createFile("%", "fonts/a%20b.woff", true));
  EXPECT_TRUE(storage.fileExists("fonts/a b.woff")) << "escapes are decoded";
  EXPECT_FALSE(storage.url("/"));
  EXPECT_FALSE(DatabaseStorage::normalizedPath("bad%zzescape"));

  ASSERT_TRUE(storage.removeItem("app/config.json"));
  EXPECT_TRUE(storage.fileExists("app/config.json")) << "rows leave only through updates";
}

TEST_F(DatabaseStorageTest, NullDataRowsAndListings) {
  storage.queue().inDatabase([](SqliteDatabase::Connection& db) {
    db.execute("INSERT INTO tbl_file VALUES ('ghost/file.js', 'ghost', 0, 0, NULL)");
  });
  EXPECT_FALSE(storage.fileExists("ghost/file.js"));
  EXPECT_FALSE(storage.url("ghost/file.js"));
  ASSERT_TRUE(storage.createDirectory("ghost/file.js", true));
  EXPECT_EQ(storage.url("ghost/file.js"), fs::path("ghost/file.js")) << "then the directory table decides";

  for (const auto* name : {"fonts", "fontsextra/x", "fonts/sub"}) ASSERT_TRUE(storage.createDirectory(name, true));
  ASSERT_TRUE(storage.createFile("w", "fonts/a.woff", true));
  ASSERT_TRUE(storage.createFile("w", "fonts/b.woff", true));
  EXPECT_THAT(storage.directoryNames("fonts"), UnorderedElementsAre("fonts", "fontsextra/x", "fonts/sub"));
  EXPECT_THAT(storage.fileNames("fonts"), UnorderedElementsAre("fonts/a.woff", "fonts/b.woff"));
  EXPECT_TRUE(storage.fileNames("/fonts").empty()) << "listings bind the path unchanged";
  EXPECT_TRUE(storage.directoryNames("nothing").empty());

  std::optional<HttpResponse> answered;
  auto handler = std::make_shared<ResponseHandler>([&](std::optional<HttpResponse> r) { answered = r; });
  storage.respondWithContent("fonts/a.woff", handler, {});
  EXPECT_EQ(answered->statusCode(), 200);
  EXPECT_EQ(answered->bytes(), "w");
  auto missing = std::make_shared<ResponseHandler>([&](std::optional<HttpResponse> r) { answered = r; });
  storage.respondWithContent("fonts/none.woff", missing, {});
  EXPECT_EQ(answered->statusCode(), 404);
  EXPECT_EQ(answered->bytes(), "File not found");
}

TEST_F(DatabaseStorageTest, ASecondOpeningDoesNotMigrateAgain) {
  Log::setLevel(kLogError | kLogWarning | kLogInfo);
  LogCapture log;
  UpdatedBundleStorage again(directory);
  Log::setLevel(kLogError | kLogWarning);
  EXPECT_TRUE(log.texts().empty());
  EXPECT_EQ(count(again, "SELECT COUNT(*) AS n FROM metadata"), 1);
}

TEST_F(DatabaseStorageTest, ImportsAnArchive) {
  auto archive = freshDirectory("archives") / "update.zip";
  ASSERT_TRUE(writeZip(archive, {{"a/", ""},
                                 {"a/b/", ""},
                                 {"a/b/c.json", R"({"c": true})"},
                                 {"d.txt", "dee"},
                                 {".DS_Store", "junk"},
                                 {"a/.hidden", "junk"},
                                 {"../escape.txt", "evil"},
                                 {"/absolute.txt", "evil"},
                                 {"link", "/etc/passwd"}},
                       /*symlinkLast=*/true));
  ASSERT_TRUE(storage.createFile("old", "js/app.js", true));
  std::vector<double> progress;
  std::optional<std::optional<FileStorageError>> result;
  LogCapture log;
  storage.createDB(archive, [&](double fraction) { progress.push_back(fraction); }, "ovl-filemap.json",
                   {"/js/app.js", ""}, R"({"ts":1,"files":[]})", [&](auto error) { result = error; });
  ASSERT_TRUE(result);
  EXPECT_FALSE(*result);
  EXPECT_EQ(storage.contents("a/b/c.json").value(), R"({"c": true})");
  EXPECT_EQ(row(storage, "a/b/c.json").compressed, 1);
  EXPECT_EQ(storage.contents("d.txt").value(), "dee");
  EXPECT_FALSE(storage.fileExists(".DS_Store"));
  EXPECT_FALSE(storage.fileExists("a/.hidden"));
  EXPECT_FALSE(storage.fileExists("js/app.js")) << "deleted by its path with a leading slash";
  EXPECT_EQ(storage.contents("ovl-filemap.json").value(), R"({"ts":1,"files":[]})");
  EXPECT_TRUE(storage.directoryExists("a/b"));
  EXPECT_FALSE(storage.directoryExists("a")) << "only directories that hold files";
  EXPECT_FALSE(fs::exists(fs::temp_directory_path() / "escape.txt"));
  EXPECT_EQ(count(storage, "SELECT COUNT(*) AS n FROM tbl_file"), 3);
  ASSERT_FALSE(progress.empty());
  EXPECT_DOUBLE_EQ(progress.back(), 1.0);
  int refused = 0;
  for (const auto& text : log.texts()) refused += text.starts_with("Skipped an unsafe archive entry: ");
  EXPECT_EQ(refused, 3);

  // Hidden files only: nothing imported, the directory table cleared, the map stored.
  auto hiddenOnly = freshDirectory("archives") / "hidden.zip";
  ASSERT_TRUE(writeZip(hiddenOnly, {{".DS_Store", "x"}, {"empty/", ""}}));
  storage.createDB(hiddenOnly, nullptr, "ovl-filemap.json", {}, R"({"ts":2})", [&](auto error) { result = error; });
  EXPECT_FALSE(*result);
  EXPECT_EQ(count(storage, "SELECT COUNT(*) AS n FROM tbl_dir"), 0);
  EXPECT_EQ(storage.contents("ovl-filemap.json").value(), R"({"ts":2})");

  storage.createDB(freshDirectory("archives") / "missing.zip", nullptr, "m.json", {}, "{}",
                   [&](auto error) { result = error; });
  EXPECT_EQ(*result, FileStorageError::fileIO);
}

TEST(ApplicationBundleStorage, RefusesEveryWrite) {
  auto file = freshDirectory("shipped") / "bundle.db";
  {
    UpdatedBundleStorage maker(file.parent_path());  // same schema
    ASSERT_TRUE(maker.createFile("shipped", "index.json", true));
  }
  fs::rename(file.parent_path() / "update.db", file);
  ApplicationBundleStorage shipped(file);
  EXPECT_EQ(shipped.contents("index.json").value(), "shipped");
  LogCapture log;
  auto directory = shipped.createDirectory("x", true);
  ASSERT_FALSE(directory);
  EXPECT_EQ(static_cast<int>(directory.error().code), 1);
  EXPECT_FALSE(shipped.createFile("x", "x", true));
  EXPECT_FALSE(shipped.removeItem("index.json"));
  EXPECT_THAT(log.texts(), ElementsAre("Cannot create directories in application bundle",
                                       "Cannot create file in application bundle",
                                       "Cannot remove files in application bundle"));
}

// The child imports a large archive and is killed somewhere in the middle.
TEST(UpdatedBundleStorageCrash, AKilledImportLeavesWholeFilesOnly) {
  auto directory = freshDirectory("crash");
  auto archive = freshDirectory("crash-archive") / "big.zip";
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 0; i < 3000; ++i) {
    std::string content = "{\"file\": " + std::to_string(i) + ", \"pad\": \"" + std::string(2000, 'a' + i % 26) + "\"}";
    entries.emplace_back("data/" + std::to_string(i) + ".json", content);
  }
  ASSERT_TRUE(writeZip(archive, entries));
  { UpdatedBundleStorage prepare(directory); }

  pid_t child = ::fork();
  if (child == 0) {
    UpdatedBundleStorage storage(directory);
    storage.createDB(archive, nullptr, "map.json", {}, "{}", [](auto) {});
    ::_exit(0);
  }
  // Wait until some files are in (unpacking comes first and is slow under
  // sanitizers), then kill it mid-import.
  UpdatedBundleStorage probe(directory);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (count(probe, "SELECT COUNT(*) AS n FROM tbl_file") <= 100 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);

  UpdatedBundleStorage reopened(directory);
  std::string integrity;
  reopened.queue().inDatabase([&](SqliteDatabase::Connection& db) {
    db.query("PRAGMA integrity_check", {}, [&](const SqlRow& r) { integrity = r.text("integrity_check"); });
  });
  EXPECT_EQ(integrity, "ok");
  int64_t files = count(reopened, "SELECT COUNT(*) AS n FROM tbl_file WHERE path LIKE 'data/%'");
  EXPECT_GT(files, 0);
  int checked = 0;
  for (int i = 0; i < 3000; ++i) {
    auto path = "data/" + std::to_string(i) + ".json";
    if (!reopened.fileExists(path)) continue;
    ASSERT_EQ(reopened.contents(path).value(), entries[i].second) << path;
    ++checked;
  }
  EXPECT_EQ(checked, files);
}

}  // namespace
}  // namespace atelier::test
