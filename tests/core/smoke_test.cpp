// smoke_test: the test harness itself builds and runs.
#include <gtest/gtest.h>
#include <cstdlib>

TEST(Harness, TestsRunWithPrivateFolders)
{
  EXPECT_NE(std::getenv("QV_HOME"), nullptr);
}
