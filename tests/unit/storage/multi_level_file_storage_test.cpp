#include "storage/bundle_storages.h"
#include "storage/file_system_storage.h"
#include "storage/multi_level_file_storage.h"
#include "support/test_environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace atelier::test {
namespace {

namespace fs = std::filesystem;

// Four real levels on fresh directories: protected and unprotected folders,
// an updated database and a "shipped" one.
class LayeredTest : public ::testing::Test {
 protected:
  LayeredTest() {
    auto shippedDirectory = freshDirectory("shipped");
    {
      UpdatedBundleStorage maker(shippedDirectory);
      maker.createFile(R"({"from": "shipped"})", "app/index.json", true);
      maker.createFile("shipped", "both.txt", true);
      maker.createDirectory("app", true);
    }
    fs::rename(shippedDirectory / "update.db", shippedDirectory / "bundle.db");
    shipped = std::make_shared<ApplicationBundleStorage>(shippedDirectory / "bundle.db");
    layers = std::make_unique<MultiLevelFileStorage>(std::vector<std::shared_ptr<FileStorageProtocol>>{
        protectedFiles, unprotectedFiles, updated, shipped});
  }

  struct Answer {
    unsigned status = 0;
    std::string body;
    std::optional<std::string> storageError;
  };
  Answer serve(const std::string& path) {
    Answer answer;
    auto handler = std::make_shared<ResponseHandler>([&](std::optional<HttpResponse> response) {
      if (!response) return;
      answer.status = response->statusCode();
      answer.body = response->openFile() ? "(file)" : response->bytes();
      answer.storageError = response->header("X-Storage-Error");
    });
    layers->respondWithContent(path, handler, {});
    return answer;
  }

  std::shared_ptr<FileSystemStorage> protectedFiles =
      std::make_shared<FileSystemStorage>(FileSystemStorage::AtDirectory{freshDirectory("protected")}, true);
  std::shared_ptr<FileSystemStorage> unprotectedFiles =
      std::make_shared<FileSystemStorage>(FileSystemStorage::AtDirectory{freshDirectory("unprotected")}, false);
  std::shared_ptr<UpdatedBundleStorage> updated = std::make_shared<UpdatedBundleStorage>(freshDirectory("updated"));
  std::shared_ptr<ApplicationBundleStorage> shipped;
  std::unique_ptr<MultiLevelFileStorage> layers;
};

TEST_F(LayeredTest, TheFirstLevelHoldingAPathAnswers) {
  EXPECT_EQ(serve("both.txt").body, "shipped");
  ASSERT_TRUE(layers->createFile("mine", "both.txt", false));
  EXPECT_TRUE(fs::exists(unprotectedFiles->baseURL() / "both.txt"));
  EXPECT_EQ(serve("both.txt").body, "(file)") << "the unprotected directory hides the shipped database";
  EXPECT_EQ(layers->resolve("both.txt")->storage, unprotectedFiles);
  ASSERT_TRUE(layers->createFile("locked", "both.txt", true));
  EXPECT_EQ(layers->resolve("both.txt")->storage, protectedFiles);

  ASSERT_TRUE(layers->removeItem("both.txt"));
  EXPECT_FALSE(fs::exists(protectedFiles->baseURL() / "both.txt"));
  EXPECT_FALSE(fs::exists(unprotectedFiles->baseURL() / "both.txt")) << "removed from both directories";
  EXPECT_EQ(serve("both.txt").body, "shipped");
}

TEST_F(LayeredTest, DirectoriesServeTheirIndex) {
  EXPECT_EQ(serve("app").body, R"({"from": "shipped"})");
  // The updated database has the directory but not its index: not found.
  ASSERT_TRUE(updated->createDirectory("app", true));
  auto answer = serve("app");
  EXPECT_EQ(answer.status, 404);
  EXPECT_EQ(answer.body, "Not Found");
  EXPECT_EQ(answer.storageError, "100");
  ASSERT_TRUE(updated->createFile(R"({"from": "update"})", "app/index.json", true));
  EXPECT_EQ(serve("app").body, R"({"from": "update"})");
}

TEST_F(LayeredTest, FailedLookupsAnswerRealStatusesWithTheStorageCode) {
  LogCapture log;
  struct Case {
    std::string path;
    unsigned status;
    std::string code;
    std::string logged;
  };
  for (const auto& c : std::vector<Case>{{"missing.js", 404, "100", "Could not find file at missing.js"},
                                         {"a..b/x", 400, "11", "Could not find file at a..b/x"},
                                         {"../etc/passwd", 400, "11", "Could not find file at ../etc/passwd"}}) {
    auto answer = serve(c.path);
    EXPECT_EQ(answer.status, c.status) << c.path;
    EXPECT_EQ(answer.body, "Not Found");
    EXPECT_EQ(answer.storageError, c.code);
    EXPECT_TRUE(log.contains(c.logged)) << c.logged;
  }
  auto refused = layers->createFile("x", "a..b", false);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), FileStorageError::inputInvalid);
  EXPECT_EQ(layers->fileExists("nothing").error(), FileStorageError::fileNotFound);
}

}  // namespace
}  // namespace atelier::test
