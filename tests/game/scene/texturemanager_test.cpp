// Tests of the texture manager and its wrappers: shared handles and their counts, the
// pixel mask and its layout, point and range hit tests, and masks of real loaded textures.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildpaths.h"
#include "scene/matrixutil.h"
#include "scene/texturemanager.h"
#include "scene/texturewrapper.h"
#include "support/gfxfixture.h"
#include "support/pngwrite.h"

namespace {

// Textures as pixel arrays in memory, so the manager runs without a display.
class TPixelSource : public TTextureSource
{
public:
  boost::shared_ptr<TTexture> GetTexture(const str&) override { return {}; }
  TTextureWrapper* NewWrapper(const str& name, const boost::shared_ptr<TTexture>&) override
  {
    ++mMade;
    if (name == str("missing"))
      return nullptr;
    return new TTextureWrapper(boost::shared_ptr<TTexture>(), mPixels.data(), mWidth, mHeight, mWidth);
  }
  std::vector<TColor32> mPixels = std::vector<TColor32>(16, TColor32(0xFF000000u));
  unsigned mWidth = 4, mHeight = 4;
  int mMade = 0;
};

class TextureManagerTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mManager = TTextureManager::Create();
    mManager->SetSource(&mSource);
  }
  void TearDown() override { TTextureManager::Destroy(); }

  TPixelSource mSource;
  TTextureManager* mManager = nullptr;
};

// A wrapper over a w x h image whose pixel (x, y) has the given alpha.
TTextureWrapper* Wrapper(unsigned width, unsigned height, const std::function<unsigned(unsigned, unsigned)>& alpha)
{
  std::vector<TColor32> pixels(width * height);
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x)
      pixels[y * width + x] = TColor32(0x00112233u | alpha(x, y) << 24);
  return new TTextureWrapper(boost::shared_ptr<TTexture>(), pixels.data(), width, height, width);
}

} // namespace

TEST_F(TextureManagerTest, SameNameSharesOneWrapperUntilTheLastHandleGoes)
{
  {
    TTextureWrapperRef first = mManager->getTexture("a.png");
    TTextureWrapperRef second = mManager->getTexture("a.png");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(2, first->mReferences);
    EXPECT_EQ(1, mSource.mMade);
    EXPECT_EQ(1u, mManager->GetWrapperCount());
    TTextureWrapperRef other = mManager->getTexture("b.png");
    EXPECT_NE(first.Get(), other.Get());
  }
  EXPECT_EQ(0u, mManager->GetWrapperCount());
}

TEST_F(TextureManagerTest, AHoldKeepsEveryWrapperUntilItEnds)
{
  TTextureWrapperRef before = mManager->getTexture("before.png");
  {
    TTextureManager::THold hold;
    // Released inside the hold, the wrapper made before it and one made during it stay
    // and are handed out again without being made anew.
    before = TTextureWrapperRef();
    TTextureWrapper* during = mManager->getTexture("during.png").Get();
    EXPECT_EQ(2u, mManager->GetWrapperCount());
    {
      TTextureManager::THold inner;
    }
    EXPECT_EQ(2u, mManager->GetWrapperCount());
    EXPECT_EQ(during, mManager->getTexture("during.png").Get());
    before = mManager->getTexture("before.png");
    EXPECT_EQ(2, mSource.mMade);
  }
  // At its end only what something holds is left.
  EXPECT_EQ(1u, mManager->GetWrapperCount());
  EXPECT_EQ(1, before->mReferences);
}

TEST_F(TextureManagerTest, HandlesCountCopiesAssignmentsAndSelfAssignment)
{
  TTextureWrapperRef first = mManager->getTexture("a.png");
  TTextureWrapperRef copy(first);
  EXPECT_EQ(2, first->mReferences);
  copy = copy;
  EXPECT_EQ(2, first->mReferences);
  TTextureWrapperRef empty;
  copy = empty;
  EXPECT_FALSE(copy);
  EXPECT_EQ(1, first->mReferences);
  TTextureWrapperRef emptyCopy(empty);
  EXPECT_FALSE(emptyCopy);
  copy = first;
  EXPECT_EQ(2, first->mReferences);
}

TEST_F(TextureManagerTest, TextureThatCannotBeHadGivesAnEmptyHandle)
{
  EXPECT_FALSE(mManager->getTexture("missing"));
  EXPECT_EQ(0u, mManager->GetWrapperCount());
}

TEST_F(TextureManagerTest, HandlesOutlivingTheManagerReleaseSafely)
{
  TTextureWrapperRef kept = mManager->getTexture("a.png");
  TTextureManager::Destroy();
  EXPECT_EQ(nullptr, TTextureManager::GetInstance());
  kept = TTextureWrapperRef();
  EXPECT_FALSE(kept);
}

TEST_F(TextureManagerTest, DeferredPicturesLoadAtTheirFirstUseOnce)
{
  TTextureWrapperRef held = mManager->getTexture("held.png");
  TTextureWrapperRef deferred, again, same;
  {
    TTextureManager::TDeferLoads defer;
    deferred = mManager->getTexture("a.png");
    again = mManager->getTexture("a.png");
    same = mManager->getTexture("held.png");
  }
  EXPECT_EQ(1, mSource.mMade);
  EXPECT_EQ(deferred.Get(), again.Get());
  EXPECT_EQ(held.Get(), same.Get());
  ASSERT_TRUE(deferred->IsDeferred());
  EXPECT_TRUE(deferred->hitTest(1, 1));
  EXPECT_FALSE(deferred->IsDeferred());
  EXPECT_EQ(4u, deferred->GetWidth());
  EXPECT_EQ(deferred.Get(), mManager->getTexture("a.png").Get());
  EXPECT_EQ(2, mSource.mMade);
  EXPECT_EQ(2u, mManager->GetWrapperCount());
}

TEST_F(TextureManagerTest, DeferredPictureThatCannotBeHadShowsNothing)
{
  TTextureWrapperRef drawn, asked;
  {
    TTextureManager::TDeferLoads defer;
    drawn = mManager->getTexture("missing");
    asked = mManager->getTexture("missing");
  }
  ASSERT_TRUE(drawn);
  // Asked for outside the deferral, it loads and gives the empty handle a load always gave.
  EXPECT_FALSE(mManager->getTexture("missing"));
  EXPECT_FALSE(drawn->IsDeferred());
  EXPECT_FALSE(drawn->HasMask());
  EXPECT_FALSE(drawn->hitTest(0, 0));
  EXPECT_FALSE(drawn->GetTexture());
  EXPECT_EQ(1, mSource.mMade);
}

TEST(TextureWrapper, MaskLayoutHasPaddedRowsLeastSignificantBitFirst)
{
  std::unique_ptr<TTextureWrapper> wrapper(
      Wrapper(10, 2, [](unsigned x, unsigned y) { return (x == 0 && y == 0) || x == 9 ? 0xFFu : 0u; }));
  EXPECT_EQ(2u, wrapper->GetStride());
  const uint8_t* mask = wrapper->GetMask();
  EXPECT_EQ(0x01, mask[0]);
  EXPECT_EQ(0x02, mask[1]);
  EXPECT_EQ(0x00, mask[2]);
  EXPECT_EQ(0x02, mask[3]);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(0, mask[i] & (i % 2 ? 0xFC : 0x00));
}

TEST(TextureWrapper, AnyAlphaAboveZeroIsSolid)
{
  std::unique_ptr<TTextureWrapper> wrapper(Wrapper(3, 1, [](unsigned x, unsigned) {
    return x == 0 ? 1u : x == 1 ? 0u : 255u;
  }));
  EXPECT_TRUE(wrapper->hitTest(0, 0));
  EXPECT_FALSE(wrapper->hitTest(1, 0));
  EXPECT_TRUE(wrapper->hitTest(2, 0));
  EXPECT_FALSE(wrapper->hitTest(3, 0));
  EXPECT_FALSE(wrapper->hitTest(0, 1));
  EXPECT_FALSE(wrapper->hitTest(TPoint(-1, 0)));
}

TEST(TextureWrapper, RangeTestCountsSolidPixelsStrictlyInsideTheRadius)
{
  // One solid pixel at (5, 5) of a 10 x 10 texture.
  std::unique_ptr<TTextureWrapper> wrapper(
      Wrapper(10, 10, [](unsigned x, unsigned y) { return x == 5 && y == 5 ? 255u : 0u; }));
  TRect all(0, 0, 10, 10);
  EXPECT_FALSE(wrapper->RangeHitTest(5, 5, 0, all));
  EXPECT_TRUE(wrapper->RangeHitTest(5, 5, 1, all));
  EXPECT_FALSE(wrapper->RangeHitTest(2, 5, 3, all));
  EXPECT_TRUE(wrapper->RangeHitTest(2, 5, 4, all));
  EXPECT_FALSE(wrapper->RangeHitTest(5, 5, 4, TRect(0, 0, 5, 10)));
}

TEST(TextureWrapper, RangeTestReachesEdgesFromOutsideAndClipsItsArea)
{
  std::unique_ptr<TTextureWrapper> wrapper(
      Wrapper(4, 4, [](unsigned x, unsigned y) { return x == 0 && y == 0 ? 255u : 0u; }));
  EXPECT_TRUE(wrapper->RangeHitTest(-2, 0, 3, TRect(-100, -100, 100, 100)));
  EXPECT_TRUE(wrapper->RangeHitTest(0, -2, 3, TRect(-100, -100, 100, 100)));
  EXPECT_FALSE(wrapper->RangeHitTest(-3, 0, 3, TRect(-100, -100, 100, 100)));
  EXPECT_FALSE(wrapper->RangeHitTest(2000000000, 2000000000, 2000000000, TRect(0, 0, 4, 4)));
}

TEST(MatrixUtil, InverseOfATranslation)
{
  TMat3 m;
  m[2] = TVec3(5, 7, 1);
  ASSERT_TRUE(invertMatrix(&m));
  EXPECT_EQ(-5.0f, m[2].x);
  EXPECT_EQ(-7.0f, m[2].y);
  EXPECT_EQ(1.0f, m[0].x);
  TMat3 singular(0, 0, 0, 0, 1, 0, 3, 4, 1);
  EXPECT_FALSE(invertMatrix(&singular));
  EXPECT_EQ(3.0f, singular[2].x);
}

TEST(MatrixUtil, RowVectorTimesMatrix)
{
  TMat3 m(2, 0, 0, 0, 3, 0, 10, 20, 1);
  TVec3 point(1, 1, 1);
  TVec3 moved = vectorMulMatrix(&point, &m);
  EXPECT_EQ(12.0f, moved.x);
  EXPECT_EQ(23.0f, moved.y);
  TVec3 direction(1, 1, 0);
  EXPECT_EQ(2.0f, vectorMulMatrix(&direction, &m).x);
}

TEST(MatrixUtil, TransformedRectanglesOverlap)
{
  TMat3 identity;
  EXPECT_FALSE(RectItersectTest(TRect(0, 0, 10, 10), identity, TRect(20, 0, 30, 10), identity));
  EXPECT_TRUE(RectItersectTest(TRect(0, 0, 100, 100), identity, TRect(20, 20, 30, 30), identity));
  EXPECT_TRUE(RectItersectTest(TRect(20, 20, 30, 30), identity, TRect(0, 0, 100, 100), identity));
  EXPECT_FALSE(RectItersectTest(TRect(0, 0, 10, 10), identity, TRect(0, 20, 10, 30), identity));
  TMat3 moved;
  moved[2] = TVec3(15, 0, 1);
  EXPECT_TRUE(RectItersectTest(TRect(0, 0, 10, 10), moved, TRect(20, 0, 30, 10), identity));
  TMat3 turned;
  turned.Rotate(float(M_PI / 4));
  EXPECT_TRUE(RectItersectTest(TRect(0, 0, 10, 10), turned, TRect(-6, 0, -4, 2), identity));
}

TEST(MatrixUtil, FloatsLessThanAUnitApartCompareEqualAndFarOnesSaturate)
{
  auto compare = [](float a, float b) { return TTextureWrapper::compare(&a, &b); };
  EXPECT_EQ(0, compare(5.9f, 5.0f));
  EXPECT_EQ(0, compare(5.0f, 5.9f));
  EXPECT_EQ(1, compare(6.5f, 5.0f));
  EXPECT_EQ(-1, compare(5.0f, 6.5f));
  EXPECT_EQ(INT_MAX, compare(3e9f, -3e9f));
  EXPECT_EQ(INT_MIN, compare(-3e9f, 3e9f));
  float values[] = {9.0f, -2.5f, 4.0f, 0.0f};
  std::qsort(values, 4, sizeof values[0], &TTextureWrapper::compare);
  EXPECT_EQ((std::vector<float>{-2.5f, 0.0f, 4.0f, 9.0f}), std::vector<float>(values, values + 4));
}

TEST(MatrixUtil, EdgesLessThanAUnitApartAreComparedExactly)
{
  // Bounds 0.5 apart, which the coarse comparator alone would take for touching.
  TMat3 identity;
  TMat3 nudged;
  nudged[2] = TVec3(10.5f, 0.25f, 1);
  EXPECT_FALSE(RectItersectTest(TRect(0, 0, 10, 10), identity, TRect(0, 0, 10, 10), nudged));
  nudged[2] = TVec3(9.5f, 0.25f, 1);
  EXPECT_TRUE(RectItersectTest(TRect(0, 0, 10, 10), identity, TRect(0, 0, 10, 10), nudged));
  nudged[2] = TVec3(0.25f, -10.5f, 1);
  EXPECT_FALSE(RectItersectTest(TRect(0, 0, 10, 10), identity, TRect(0, 0, 10, 10), nudged));
  // Bounds that only touch overlap.
  nudged[2] = TVec3(10, 0, 1);
  EXPECT_TRUE(RectItersectTest(TRect(0, 0, 10, 10), identity, TRect(0, 0, 10, 10), nudged));
}

// Real textures: the mask comes from the decoded pixels, or from a read-back when the
// texture was loaded before the manager asked for it.
class TextureManagerGLTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    if (IsSkipped())
      return;
    mFile = std::string(QV_TEST_BUILD_DIR) + "/scene-half.png";
    // Left half opaque red, right half transparent.
    ASSERT_TRUE(WriteTestPng(mFile, 10, 6, [](unsigned x, unsigned) { return x < 5 ? 0xFFFF0000u : 0x00000000u; }));
    TTextureManager::Create();
  }
  void TearDown() override
  {
    TTextureManager::Destroy();
    GfxTest::TearDown();
  }
  std::string mFile;
};

TEST_F(TextureManagerGLTest, MaskOfALoadedPngFollowsItsAlpha)
{
  TTextureWrapperRef handle = TTextureManager::GetInstance()->getTexture(("::" + mFile).c_str());
  ASSERT_TRUE(handle);
  ASSERT_TRUE(handle->GetTexture());
  EXPECT_EQ(10u, handle->GetWidth());
  EXPECT_EQ(6u, handle->GetHeight());
  for (unsigned y = 0; y < 6; ++y)
    for (unsigned x = 0; x < 10; ++x)
      EXPECT_EQ(x < 5, handle->hitTest(x, y)) << x << "," << y;
}

TEST_F(TextureManagerGLTest, TextureCachedEarlierIsReadBackOnce)
{
  boost::shared_ptr<TTexture> early = TTexture::Get(("::" + mFile).c_str(), 0);
  ASSERT_TRUE(early);
  TTextureWrapperRef handle = TTextureManager::GetInstance()->getTexture(("::" + mFile).c_str());
  ASSERT_TRUE(handle);
  EXPECT_EQ(early, handle->GetTexture());
  EXPECT_TRUE(handle->hitTest(4, 5));
  EXPECT_FALSE(handle->hitTest(5, 0));
}
