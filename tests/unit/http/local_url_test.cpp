#include "core/hashing.h"
#include "http/local_url.h"
#include "http/proxy_address.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>
#include <vips/vips.h>

#include <fstream>

namespace atelier {
namespace {

TEST(LocalURL, EncodesOntoTheFileBase) {
  ProxyAddress::setPort(5000);
  EXPECT_EQ(LocalURL::fromPath("/tmp/a b.png").encoded(), "http://localhost:5000/_file/tmp/a%20b.png");
  EXPECT_EQ(toPayload(LocalURL::fromPath("/tmp/a b.png")).value(), R"("http:\/\/localhost:5000\/_file\/tmp\/a%20b.png")");
  EXPECT_EQ(LocalURL{"https://example.com/x.png"}.encoded(), "https://example.com/x.png");
  EXPECT_EQ(nlohmann::json({{"url", LocalURL::fromPath("/x")}}).dump(), R"({"url":"http://localhost:5000/_file/x"})");
  EXPECT_EQ(LocalURL::fromPath("/tmp/a b.png").path(), "/tmp/a b.png");
}

TEST(LocalURL, FileFactsOfAnImage) {
  auto file = test::freshDirectory("facts") / "picture.png";
  VipsImage* image = nullptr;
  ASSERT_EQ(vips_black(&image, 37, 21, "bands", 3, nullptr), 0);
  ASSERT_EQ(vips_pngsave(image, file.c_str(), nullptr), 0);
  g_object_unref(image);

  std::ifstream in(file, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  auto url = LocalURL::fromPath(file);
  EXPECT_EQ(url.checksum(), md5Base64(bytes));
  EXPECT_EQ(url.pixelSize().width, 37);
  EXPECT_EQ(url.pixelSize().height, 21);
  EXPECT_EQ(url.byteSize(), static_cast<int64_t>(bytes.size()));
}

TEST(LocalURL, MissingFileHasEmptyFactsAndOneAttributeLine) {
  auto url = LocalURL::fromPath(test::freshDirectory("facts") / "missing.png");
  EXPECT_EQ(url.checksum(), "");
  EXPECT_EQ(url.pixelSize().width, 0);
  EXPECT_EQ(url.pixelSize().height, 0);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(url.byteSize(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "FileAttribute error: No such file or directory\n");

  // Not an image: no pixel size, but the other facts.
  auto text = test::freshDirectory("facts") / "notes.png";
  std::ofstream(text) << "not a picture";
  EXPECT_EQ(LocalURL::fromPath(text).pixelSize().width, 0);
  EXPECT_EQ(LocalURL::fromPath(text).byteSize(), 13);
}

}  // namespace
}  // namespace atelier
