// str_test: the engine string: sharing, searching, replacing, formatting and UTF-8.
#include "core/str.h"

#include <gtest/gtest.h>

TEST(Str, EmptyFormsAreEqual)
{
  str a;
  str b(static_cast<char const*>(nullptr));
  str c("");
  EXPECT_EQ(a.length(), 0u);
  EXPECT_STREQ(b.c_str(), "");
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(b == c);
}
