// asset_test: the asset registry shares one live instance per key, never keeps an asset
// alive itself, and an asset going away does not unregister a newer one of its key.
#include <gtest/gtest.h>

#include "core/foundation/asset.h"

namespace {

class TestAsset : public TAsset
{
public:
  static intptr_t ClassId() { return reinterpret_cast<intptr_t>(&TestAsset::ClassId); }
  const char* GetTypeName() const override { return "TestAsset"; }
  bool IsKindOf(intptr_t classId) const override { return classId == ClassId() || TAsset::IsKindOf(classId); }
};

// Unregisters its key when it dies, as textures do.
class KeyedAsset : public TAsset
{
public:
  KeyedAsset(TAssetManager* manager, const str& key) : mManager(manager), mKey(key) {}
  ~KeyedAsset() override { mManager->RemoveAsset(mKey); }

private:
  TAssetManager* mManager;
  str mKey;
};

} // namespace

TEST(AssetManager, SharesTheLiveAssetAndForgetsItWhenTheLastHolderLetsGo)
{
  TAssetManager manager;
  boost::shared_ptr<TAsset> texture(new TestAsset);
  manager.AddAsset("textures/a.png", texture);
  EXPECT_EQ(manager.GetAsset("textures/a.png"), texture);
  EXPECT_EQ(texture.use_count(), 1); // the registry holds no strong reference

  TAsset* raw = texture.get();
  EXPECT_EQ(raw->shared_from_this().get(), raw);
  texture.reset();
  EXPECT_FALSE(manager.GetAsset("textures/a.png"));
}

TEST(AssetManager, SecondAssetUnderAKeyReplacesTheFirst)
{
  TAssetManager manager;
  boost::shared_ptr<TAsset> first(new TestAsset);
  boost::shared_ptr<TAsset> second(new TestAsset);
  manager.AddAsset("k", first);
  manager.AddAsset("k", second);
  EXPECT_EQ(manager.GetAsset("k"), second);
}

TEST(AssetManager, UnknownKeyGivesNothingAndLeavesAnEmptyEntry)
{
  TAssetManager manager;
  EXPECT_FALSE(manager.HasEntry("never"));
  EXPECT_FALSE(manager.GetAsset("never"));
  EXPECT_TRUE(manager.HasEntry("never"));
  // Keys are case-sensitive.
  boost::shared_ptr<TAsset> asset(new TestAsset);
  manager.AddAsset("Name", asset);
  EXPECT_FALSE(manager.GetAsset("name"));
}

TEST(AssetManager, DyingAssetDoesNotUnregisterANewerOneOfItsKey)
{
  TAssetManager manager;
  boost::shared_ptr<TAsset> old(new KeyedAsset(&manager, "k"));
  manager.AddAsset("k", old);
  boost::shared_ptr<TAsset> newer(new KeyedAsset(&manager, "k"));
  manager.AddAsset("k", newer);
  old.reset();
  EXPECT_EQ(manager.GetAsset("k"), newer);

  newer.reset();
  EXPECT_FALSE(manager.HasEntry("k"));
}

TEST(AssetManager, AHoldKeepsTheAssetsItFindsAndThoseAddedUntilItEnds)
{
  TAssetManager manager;
  boost::shared_ptr<TAsset> before(new KeyedAsset(&manager, "before"));
  manager.AddAsset("before", before);
  TAsset* beforeRaw = before.get();
  {
    TAssetManager::THold hold;
    before.reset();
    manager.AddAsset("during", boost::shared_ptr<TAsset>(new KeyedAsset(&manager, "during")));
    {
      TAssetManager::THold inner;
    }
    // Nothing holds them but the hold, which outlives the inner one.
    EXPECT_EQ(beforeRaw, manager.GetAsset("before").get());
    EXPECT_TRUE(manager.GetAsset("during"));
  }
  // Let go, they are gone with their entries.
  EXPECT_FALSE(manager.HasEntry("during"));
  EXPECT_FALSE(manager.GetAsset("before"));
}

TEST(AssetManager, InstanceIsTheLiveManagerOnly)
{
  EXPECT_EQ(TAssetManager::GetInstance(), nullptr);
  {
    TAssetManager manager;
    EXPECT_EQ(TAssetManager::GetInstance(), &manager);
  }
  EXPECT_EQ(TAssetManager::GetInstance(), nullptr);
}

TEST(Asset, EveryAssetIsKindOfTAssetAndClassIdsDiffer)
{
  TAsset base;
  TestAsset derived;
  EXPECT_TRUE(base.IsKindOf(TAsset::ClassId()));
  EXPECT_TRUE(derived.IsKindOf(TAsset::ClassId()));
  EXPECT_TRUE(derived.IsKindOf(TestAsset::ClassId()));
  EXPECT_FALSE(base.IsKindOf(TestAsset::ClassId()));
  EXPECT_NE(TAsset::ClassId(), TestAsset::ClassId());
  EXPECT_STREQ(base.GetTypeName(), "TAsset");
}
