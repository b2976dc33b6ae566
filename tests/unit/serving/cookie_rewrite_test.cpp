#include "serving/cookie_rewrite.h"

#include <gtest/gtest.h>

namespace atelier {
namespace {

TEST(CookieRewrite, TargetCookiesBecomeLocalLines) {
  const time_t now = 1700000000;  // Tue, 14 Nov 2023 22:13:20 UTC
  struct Case {
    std::string header;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"sid=abc; Domain=example.com; Path=/api; Secure; HttpOnly; Expires=Wed, 21 Oct 2037 07:28:00 GMT",
       "sid=abc; Path=/; HttpOnly; Expires=Wed, 21 Oct 2037 07:28:00 UTC"},
      {"a=1", "a=1; Path=/"},
      {" b = two words ; httponly", "b=two words; Path=/; HttpOnly"},
      {"m=1; Max-Age=60; Expires=Wed, 21 Oct 2037 07:28:00 GMT", "m=1; Path=/; Expires=Tue, 14 Nov 2023 22:14:20 UTC"},
      {"gone=; Max-Age=0", "gone=; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 UTC"},
      {"d=1; Expires=not a date", "d=1; Path=/"},
  };
  for (const auto& c : cases) {
    auto cookies = parseSetCookies({c.header}, now);
    ASSERT_EQ(cookies.size(), 1u) << c.header;
    EXPECT_EQ(localCookieLine(cookies[0]), c.line) << c.header;
  }
  EXPECT_TRUE(parseSetCookies({"novalue", "=x; Path=/"}, now).empty());
}

}  // namespace
}  // namespace atelier
