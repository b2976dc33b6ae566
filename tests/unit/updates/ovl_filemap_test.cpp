#include "updates/ovl_filemap.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace atelier {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> paths(const OVLFilemap& map) {
  std::vector<std::string> result;
  for (const auto& file : map.files.value_or(std::vector<OVLFilemap::File>{})) result.push_back(file.path);
  return result;
}

TEST(OVLFilemap, DecodesOnlyCompleteMapsAndEncodesInOrder) {
  EXPECT_FALSE(OVLFilemap::decode(R"({"ts":1,"files":[{"path":"a","md5":"x","ts":1}]})")) << "no size";
  EXPECT_FALSE(OVLFilemap::decode(R"({"files":[{"path":"a","md5":"x","ts":"1","size":1}]})")) << "wrong type";
  EXPECT_FALSE(OVLFilemap::decode(R"({"files":[{"path":"a","md5":"x","ts":1,"size":1},)"
                                  R"({"path":"a","md5":"y","ts":1,"size":1}]})"))
      << "a repeated path";
  auto map = OVLFilemap::decode(R"({"files":[{"path":"js/a.js","md5":"m","ts":5,"size":7,"extra":true}],"x":1})");
  ASSERT_TRUE(map);
  EXPECT_FALSE(map->ts);
  EXPECT_EQ(map->encode(), R"({"files":[{"path":"js/a.js","md5":"m","ts":5,"size":7}]})");
  EXPECT_EQ(OVLFilemap{}.encode(), "{}");
}

TEST(OVLFilemap, ComparisonByPathAndChecksum) {
  auto current = *OVLFilemap::decode(R"({"ts":1,"files":[{"path":"a/x.js","md5":"1","ts":1,"size":10},)"
                                     R"({"path":"same.js","md5":"s","ts":1,"size":20},)"
                                     R"({"path":"changed.js","md5":"old","ts":1,"size":30}]})");
  auto next = *OVLFilemap::decode(R"({"ts":2,"files":[{"path":"b/x.js","md5":"1","ts":2,"size":10},)"
                                  R"({"path":"same.js","md5":"s","ts":9,"size":99},)"
                                  R"({"path":"changed.js","md5":"OLD","ts":2,"size":31}]})");
  auto difference = OVLFilemap::compare(current, next);
  EXPECT_THAT(paths(difference.missing), ElementsAre("b/x.js", "changed.js"));
  EXPECT_THAT(difference.toDelete, ElementsAre("a/x.js"));
  EXPECT_EQ(difference.downloadSize, 41);
  EXPECT_EQ(difference.missing.ts, 2);

  auto unchanged = OVLFilemap::compare(next, next);
  EXPECT_THAT(paths(unchanged.missing), IsEmpty());
  EXPECT_EQ(unchanged.missing.encode(), R"({"ts":2,"files":[]})");
  EXPECT_THAT(unchanged.toDelete, IsEmpty());

  auto fromNothing = OVLFilemap::compare(*OVLFilemap::decode("{}"), next);
  EXPECT_EQ(paths(fromNothing.missing).size(), 3u);
  auto noTimestamp = OVLFilemap::compare(current, *OVLFilemap::decode(R"({"files":[]})"));
  EXPECT_EQ(noTimestamp.missing.encode(), R"({"files":[]})");
}

}  // namespace
}  // namespace atelier
