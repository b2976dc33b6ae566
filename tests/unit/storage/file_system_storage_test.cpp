#include "storage/file_system_storage.h"
#include "support/test_environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace atelier::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

std::string read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileSystemStorageTest : public ::testing::Test {
 protected:
  FileSystemStorage storage{FileSystemStorage::AtDirectory{freshDirectory("fs-storage")}, false};
};

TEST_F(FileSystemStorageTest, WritesReplaceCopiesDoNot) {
  ASSERT_TRUE(storage.createFile("one", "deep/nested/a.json", false));
  EXPECT_EQ(read(storage.baseURL() / "deep/nested/a.json"), "one");
  ASSERT_TRUE(storage.createFile("two", "/deep/nested/a.json", false)) << "a leading slash stays inside";
  EXPECT_EQ(read(storage.baseURL() / "deep/nested/a.json"), "two");

  auto source = freshDirectory("source") / "s.txt";
  std::ofstream(source) << "copy";
  ASSERT_TRUE(storage.createFileFrom(source, "copied/s.txt", false));
  LogCapture log;
  auto again = storage.createFileFrom(source, "deep/nested/a.json", false);
  ASSERT_FALSE(again);
  EXPECT_EQ(again.error(), FileStorageError::fileIO);
  EXPECT_EQ(read(storage.baseURL() / "deep/nested/a.json"), "two");
  EXPECT_THAT(log.texts()[0], ::testing::StartsWith("Failed to copy file " + source.string() + ": "));
}

TEST_F(FileSystemStorageTest, TheWrongLevelIsRefusedBeforeAnythingIsCreated) {
  LogCapture log;
  auto written = storage.createFile("x", "new/dir/file.txt", true);
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error(), FileStorageError::inputInvalid);
  EXPECT_THAT(log.texts(), ElementsAre("You are trying to create a protected file in a unprotected storage."));
  EXPECT_FALSE(fs::exists(storage.baseURL() / "new"));
  EXPECT_FALSE(storage.createDirectory("d", true));
  EXPECT_FALSE(storage.createFile("x", "../outside.txt", false)) << "nothing leaves the root";
  EXPECT_FALSE(fs::exists(storage.baseURL().parent_path() / "outside.txt"));
}

TEST_F(FileSystemStorageTest, LookupsAndListings) {
  ASSERT_TRUE(storage.createDirectory("top/a", false));
  ASSERT_TRUE(storage.createDirectory("top/b/inner", false));
  ASSERT_TRUE(storage.createFile("x", "top/x.txt", false));
  ASSERT_TRUE(storage.createFile("h", "top/.hidden", false));

  EXPECT_EQ(storage.url("top"), storage.baseURL() / "top");
  EXPECT_FALSE(storage.fileExists("top"));
  EXPECT_TRUE(storage.directoryExists("top"));
  EXPECT_TRUE(storage.fileExists("top/x.txt"));
  EXPECT_FALSE(storage.url("top/missing"));
  EXPECT_THAT(storage.directoryNames("top"), UnorderedElementsAre("a", "b"));
  EXPECT_THAT(storage.fileNames("top"), UnorderedElementsAre("x.txt", ".hidden"));

  LogCapture log;
  EXPECT_TRUE(storage.directoryNames("missing").empty());
  EXPECT_TRUE(storage.fileNames("missing").empty());
  ASSERT_EQ(log.texts().size(), 2u);
  EXPECT_THAT(log.texts()[0], ::testing::StartsWith("problems creating directory enumerator with \n url "));
}

TEST_F(FileSystemStorageTest, RemovingAndServing) {
  ASSERT_TRUE(storage.createFile("x", "dir/sub/x.txt", false));
  std::optional<HttpResponse> answered;
  auto handler = std::make_shared<ResponseHandler>([&](std::optional<HttpResponse> response) { answered = response; });
  storage.respondWithContent(*storage.url("dir"), handler, {});
  ASSERT_TRUE(answered);
  EXPECT_EQ(answered->statusCode(), 404);
  EXPECT_EQ(answered->bytes(), "File not found");

  auto fileHandler = std::make_shared<ResponseHandler>([&](std::optional<HttpResponse> response) { answered = response; });
  storage.respondWithContent(*storage.url("dir/sub/x.txt"), fileHandler, {});
  EXPECT_EQ(answered->statusCode(), 200);
  EXPECT_TRUE(answered->openFile());
  EXPECT_EQ(answered->header("Access-Control-Allow-Origin"), "http://localhost:8080");

  ASSERT_TRUE(storage.removeItem("dir"));
  EXPECT_FALSE(fs::exists(storage.baseURL() / "dir"));
  auto missing = storage.removeItem("dir");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error(), FileStorageError::fileNotFound);
}

}  // namespace
}  // namespace atelier::test
