// config tests: the foundation's configuration and timer are the ones the platform facade
// reads and writes, so code below the facade and code above it never see two maps or clocks.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/foundation/config.h"
#include "core/foundation/timesource.h"

namespace {

class FixedTime : public TTimeSource
{
public:
  uint32_t Now() override { return 0xFFFFFFF0u; }
};

} // namespace

TEST(Config, OneMapBehindTheFoundationAndTheFacade)
{
  TConfig::Set("layouttest.a", "3");
  EXPECT_EQ(TPlatform::GetConfig("layouttest.a", "d"), str("3"));
  EXPECT_TRUE(TPlatform::IsEnabled("layouttest.a"));
  TPlatform::SetConfig("layouttest.b", "yes");
  EXPECT_EQ(TConfig::Get("layouttest.b", "d"), str("yes"));
  EXPECT_FALSE(TConfig::IsEnabled("layouttest.b"));
  EXPECT_EQ(TConfig::Get("layouttest.missing", "d"), str("d"));
  TConfig::Clear();
  EXPECT_EQ(TPlatform::GetConfig("layouttest.a", "d"), str("d"));
}

TEST(Config, TheFacadeKeysAreTheFoundationKeys)
{
  EXPECT_STREQ(TPlatform::kEncryptionKey, TConfig::kEncryptionKey);
  EXPECT_STREQ(TPlatform::kInstallKey, TConfig::kInstallKey);
  EXPECT_EQ(sizeof(TPlatform::kEncryptionKey), sizeof("encryptionkey"));
}

TEST(TimeSource, OneSourceBehindTheFoundationAndTheFacade)
{
  FixedTime fixed;
  TTimeSource* previous = TPlatform::SetTimeSource(&fixed);
  EXPECT_EQ(TTimeSource::Timer(), 0xFFFFFFF0u);
  EXPECT_EQ(TTimeSource::Install(previous), &fixed);
  EXPECT_NE(TPlatform::Timer(), 0xFFFFFFF0u);
}
