// platform_test: the configuration map (defaults, switches, the developer-mode decision),
// the facade's lifetime and its listeners, and the platform timer and its replacement.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/foundation/encrypt.h"
#include "platform/online/computerid.h"
#include "support/faketimer.h"

namespace {

// Every test starts from an empty configuration: a platform's end empties it.
class Platform : public ::testing::Test
{
protected:
  void SetUp() override { delete new TPlatform; }
  void TearDown() override { delete new TPlatform; }
};

class CountingTask : public TTask
{
public:
  explicit CountingTask(bool* deleted) : mDeleted(deleted) {}
  ~CountingTask() override { *mDeleted = true; }
  bool DoTask() override { return true; }

private:
  bool* mDeleted;
};

const char kKey[] = "Gx7yQ2pLm9AA";

} // namespace

TEST_F(Platform, GetConfigGivesTheDefaultOnlyForAbsentKeys)
{
  EXPECT_STREQ(TPlatform::GetConfig("x", "d").c_str(), "d");
  EXPECT_STREQ(TPlatform::GetConfig("x", "d").c_str(), "d"); // reading never inserts
  TPlatform::SetConfig("x", "");
  EXPECT_STREQ(TPlatform::GetConfig("x", "d").c_str(), "");
  TPlatform::SetConfig("x", "two");
  EXPECT_STREQ(TPlatform::GetConfig("x", "d").c_str(), "two");
  EXPECT_STREQ(TPlatform::GetConfig("X", "d").c_str(), "d");
}

TEST_F(Platform, IsEnabledReadsTheValueAsANonZeroInteger)
{
  const char* off[] = {"0", "", "abc", "yes"};
  for (const char* value : off) {
    TPlatform::SetConfig("switch", value);
    EXPECT_FALSE(TPlatform::IsEnabled("switch")) << value;
  }
  const char* on[] = {"1", "12", "-3"};
  for (const char* value : on) {
    TPlatform::SetConfig("switch", value);
    EXPECT_TRUE(TPlatform::IsEnabled("switch")) << value;
  }
  EXPECT_FALSE(TPlatform::IsEnabled(TPlatform::kVerboseDebug));
}

TEST_F(Platform, EncryptionKeyAloneEntersAnEmptyCheatCodeAndDecidesNothing)
{
  TPlatform::SetConfig(TPlatform::kEncryptionKey, kKey);
  EXPECT_STREQ(TPlatform::GetConfig(kCheatCode, "d").c_str(), "");
  EXPECT_STREQ(TPlatform::GetConfig(TPlatform::kCheatMode, "unset").c_str(), "unset");
}

TEST_F(Platform, CheatCodeIsValidOnlyForThisComputer)
{
  TPlatform::SetConfig(TPlatform::kComputerId, "@B@CADAEAFAGAHAI");
  const str valid = TEncrypt(kKey).EncryptStr("@B@CADAEAFAGAHAI");
  const str forOtherComputer = TEncrypt(kKey).EncryptStr("@B@CADAEAFAGAHAJ");

  TPlatform::SetConfig(kCheatCode, valid);
  EXPECT_STREQ(TPlatform::GetConfig(TPlatform::kCheatMode, "unset").c_str(), "unset");
  TPlatform::SetConfig(TPlatform::kEncryptionKey, kKey);
  EXPECT_TRUE(TPlatform::IsEnabled(TPlatform::kCheatMode));

  TPlatform::SetConfig(kCheatCode, forOtherComputer);
  EXPECT_STREQ(TPlatform::GetConfig(TPlatform::kCheatMode, "").c_str(), "0");
  TPlatform::SetConfig(kCheatCode, "not a code");
  EXPECT_STREQ(TPlatform::GetConfig(TPlatform::kCheatMode, "").c_str(), "0");
  // An empty code leaves the decision as it was.
  TPlatform::SetConfig(kCheatCode, valid);
  TPlatform::SetConfig(kCheatCode, "");
  EXPECT_STREQ(TPlatform::GetConfig(TPlatform::kCheatMode, "").c_str(), "1");
}

TEST_F(Platform, CheatCodeNeedsAComputerId)
{
  TPlatform::SetConfig(TPlatform::kEncryptionKey, kKey);
  TPlatform::SetConfig(kCheatCode, TEncrypt(kKey).EncryptStr(""));
  EXPECT_STREQ(TPlatform::GetConfig(TPlatform::kCheatMode, "").c_str(), "0");
}

TEST_F(Platform, InstanceLivesWithTheFacadeWhoseEndEmptiesTheConfiguration)
{
  EXPECT_EQ(TPlatform::GetInstance(), nullptr);
  TPlatform::SetConfig(TPlatform::kGameName, "quillmoor-sleuth-bureau");
  {
    TPlatform platform;
    EXPECT_EQ(TPlatform::GetInstance(), &platform);
    EXPECT_STREQ(TPlatform::GetConfig(TPlatform::kGameName, "").c_str(), "quillmoor-sleuth-bureau");
  }
  EXPECT_EQ(TPlatform::GetInstance(), nullptr);
  EXPECT_STREQ(TPlatform::GetConfig(TPlatform::kGameName, "none").c_str(), "none");
}

TEST_F(Platform, TextureRefreshListenersAreDeletedWithThePlatformUnlessOrphaned)
{
  bool keptDeleted = false, ownedDeleted = false;
  CountingTask* kept = new CountingTask(&keptDeleted);
  {
    TPlatform platform;
    platform.AdoptTextureRefreshListener(kept);
    platform.AdoptTextureRefreshListener(new CountingTask(&ownedDeleted));
    EXPECT_TRUE(platform.OrphanTextureRefreshListener(kept));
    EXPECT_FALSE(platform.OrphanTextureRefreshListener(kept));
  }
  EXPECT_TRUE(ownedDeleted);
  EXPECT_FALSE(keptDeleted);
  delete kept;
}

TEST_F(Platform, TimerNeverRunsBackwardsAndCanBeReplaced)
{
  uint32_t previous = TPlatform::Timer();
  for (int i = 0; i < 1000; ++i) {
    uint32_t now = TPlatform::Timer();
    EXPECT_GE(int32_t(now - previous), 0);
    previous = now;
  }
  {
    TFakeTimer fake(123456);
    EXPECT_EQ(TPlatform::Timer(), 123456u);
    {
      TFakeTimer inner(5);
      EXPECT_EQ(TPlatform::Timer(), 5u);
    }
    EXPECT_EQ(TPlatform::Timer(), 123456u);
  }
  EXPECT_GE(int32_t(TPlatform::Timer() - previous), 0);
}

TEST_F(Platform, GuidCarriesThisMachinesFingerprint)
{
  TPlatform platform;
  uint32_t guid[4] = {0, 0, 0, 0};
  platform.GenerateGUID(guid);
  uint64_t fingerprint = 0;
  GetHardwareFingerprint(fingerprint);
  EXPECT_EQ(guid[0], uint32_t(fingerprint));
  EXPECT_EQ(guid[1], uint32_t(fingerprint >> 32));
}
