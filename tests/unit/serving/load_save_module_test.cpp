#include "serving/load_save_module_web_object.h"
#include "support/test_environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace atelier::test {
namespace {

namespace fs = std::filesystem;

class LoadSaveModuleTest : public ::testing::Test {
 protected:
  struct Answer {
    unsigned status = 0;
    std::string body;
    std::string contentType;
  };
  Answer send(const std::string& method, const std::string& url, std::optional<std::string> body = std::nullopt) {
    Answer answer;
    auto handler = std::make_shared<ResponseHandler>([&](std::optional<HttpResponse> response) {
      if (!response) return;
      answer.status = response->statusCode();
      answer.body = response->bytes();
      answer.contentType = response->contentType();
    });
    module.handleRequest(url, method, body, handler);
    return answer;
  }
  std::string read(const std::string& relative) {
    std::ifstream in(folder / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path folder = freshDirectory("projects") / "Atelier";
  LoadSaveModuleWebObject module{folder};
};

TEST_F(LoadSaveModuleTest, SavesReadsListsRenamesAndDeletes) {
  const std::string base = "https://container.projects";
  struct Step {
    std::string method, url;
    std::optional<std::string> body;
    unsigned status;
    std::string answer;
  };
  const std::vector<Step> steps = {
      {"HEAD", base + "/albums/a.tzp", std::nullopt, 404, "/albums/a.tzp"},
      {"POST", base + "/albums/a.tzp", "first", 200, "/albums/a.tzp"},  // creates the folders
      {"POST", base + "/albums/a.tzp", "second", 422, "/albums/a.tzp"},
      {"POST", base + "/albums/a.tzp?overwrite=true", "third", 200, "/albums/a.tzp"},
      {"HEAD", base + "/albums/a.tzp", std::nullopt, 200, ""},
      {"GET", base + "/albums/a.tzp", std::nullopt, 200, "third"},
      {"POST", base + "/albums/b.json", "{}", 200, "/albums/b.json"},
      {"POST", base + "/albums/.hidden", "h", 200, "/albums/.hidden"},
      {"POST", base + "/albums/sub/c.tzp", "c", 200, "/albums/sub/c.tzp"},
      {"GET", base + "/albums/", std::nullopt, 200, ""},  // listing, checked below
      {"GET", base + "/albums/?ext=json&x=/", std::nullopt, 200, R"({"files":["b.json"]})"},
      {"GET", base + "/albums?ext=json", std::nullopt, 404, "/albums"},  // a folder read as a file
      {"GET", base + "/missing/", std::nullopt, 404, "/missing/"},
      {"POST", base + "/albums/a.tzp?rename=albums/b.json", std::nullopt, 500, "/albums/a.tzp"},
      {"POST", base + "/albums/a.tzp?rename=albums/renamed.tzp", std::nullopt, 200, "/albums/a.tzp"},
      {"POST", base + "/albums/a.tzp?rename=x.tzp", std::nullopt, 404, "/albums/a.tzp"},
      {"POST", base + "/albums/empty.tzp", std::nullopt, 500, "Body empty"},
      {"DELETE", base + "/albums/renamed.tzp", std::nullopt, 200, "/albums/renamed.tzp"},
      {"DELETE", base + "/albums/renamed.tzp", std::nullopt, 200, "/albums/renamed.tzp"},
      {"PUT", base + "/albums/b.json", "x", 404, "Not implemented"},
      {"GET", base + "/albums/b.json?ext=a&ext=b", std::nullopt, 400, "Bad Request"},
  };
  for (const auto& step : steps) {
    auto answer = send(step.method, step.url, step.body);
    EXPECT_EQ(answer.status, step.status) << step.method << " " << step.url;
    if (step.url != base + "/albums/") {
      EXPECT_EQ(answer.body, step.answer) << step.method << " " << step.url;
    }
    EXPECT_EQ(answer.contentType, "application/octet-stream");
  }
  auto listing = nlohmann::json::parse(send("GET", base + "/albums/").body);
  EXPECT_THAT(listing["files"].get<std::vector<std::string>>(), ::testing::UnorderedElementsAre("b.json"));
  EXPECT_EQ(read("albums/b.json"), "{}");
  EXPECT_FALSE(fs::exists(folder / "albums/renamed.tzp"));
}

TEST_F(LoadSaveModuleTest, NothingOutsideTheProjectsFolder) {
  auto outside = folder.parent_path() / "secret.txt";
  std::ofstream(outside) << "secret";
  fs::create_directories(folder);
  fs::create_directory_symlink(folder.parent_path(), folder / "link");
  const std::string base = "https://container.projects";
  LogCapture log;
  for (const auto& [method, url] : std::vector<std::pair<std::string, std::string>>{
           {"GET", base + "/../secret.txt"},
           {"GET", base + "/%2e%2e/secret.txt"},
           {"GET", base + "/link/secret.txt"},
           {"DELETE", base + "/link/secret.txt"},
           {"POST", base + "/../evil.txt?overwrite=true"},
       }) {
    auto answer = send(method, url, std::string("x"));
    EXPECT_EQ(answer.status, 403u) << method << " " << url;
  }
  ASSERT_EQ(send("POST", base + "/mine.txt", std::string("m")).status, 200u);
  EXPECT_EQ(send("POST", base + "/mine.txt?rename=../moved.txt").status, 403u);
  EXPECT_EQ(send("POST", base + "/mine.txt?rename=link/moved.txt").status, 403u);
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_FALSE(fs::exists(folder.parent_path() / "moved.txt"));
  EXPECT_EQ(log.texts().size(), 7u);
}

TEST(LoadSaveModule, WithoutAPicturesFolder) {
  LoadSaveModuleWebObject module(std::nullopt);
  std::vector<std::pair<unsigned, std::string>> answers;
  for (const auto* method : {"GET", "POST", "DELETE"}) {
    module.handleRequest("https://container.projects/a.tzp", method, std::string("x"),
                         std::make_shared<ResponseHandler>([&](std::optional<HttpResponse> response) {
                           if (response) answers.emplace_back(response->statusCode(), response->bytes());
                         }));
  }
  EXPECT_THAT(answers, ::testing::ElementsAre(std::pair{404u, std::string("/a.tzp")},
                                              std::pair{500u, std::string("No write access to folder")},
                                              std::pair{500u, std::string("No write access to folder")}));
}

}  // namespace
}  // namespace atelier::test
