// Tests of mask objects: the darkness around their rectangle as one triangle strip, its
// alpha, and its place taken from the position relative to the parent.
#include <gtest/gtest.h>

#include "scene/maskobject.h"
#include "support/scenetestutil.h"

TEST_F(SceneTest, MaskDarkensTheScreenOutsideItsRectangle)
{
  LoadObjects("<objects><object type='TMaskObject' id='m' f='half' p='100,50' s='2,1' "
              "a='0.5'/></objects>");
  Find("m")->Draw();
  ASSERT_EQ(1u, mRenderer.mSprites.size());
  ASSERT_EQ(1u, mRenderer.mStrips.size());
  const std::vector<TTransformedLitVert>& strip = mRenderer.mStrips[0];
  ASSERT_EQ(10u, strip.size());
  const float expected[10][2] = {{0, 0},    {92, 46}, {800, 0}, {108, 46}, {800, 600},
                                 {108, 54}, {0, 600}, {92, 54}, {0, 0},    {92, 46}};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(expected[i][0], strip[i].mPos.x) << i;
    EXPECT_EQ(expected[i][1], strip[i].mPos.y) << i;
    EXPECT_EQ(0.0f, strip[i].mPos.z);
    EXPECT_EQ(127, strip[i].mColor.Alpha());
    EXPECT_EQ(0, strip[i].mColor.Red());
  }
  ASSERT_NE(nullptr, mRenderer.mMaterial);
  EXPECT_EQ(1.0f, mRenderer.mMaterial->mDiffuse.a);
  EXPECT_EQ(0.0f, mRenderer.mMaterial->mDiffuse.r);
  EXPECT_EQ(1.0f, mRenderer.mMaterial->mAmbient.r);
}

TEST_F(SceneTest, MaskKeepsItsOwnRelativePlaceWhenItsParentMoves)
{
  LoadObjects("<objects><object id='p' p='300,300'><objects>"
              "<object type='TMaskObject' id='m' f='solid' p='10,10'/></objects></object>"
              "</objects>");
  Find("p")->setPosition(TVec2(500, 0));
  Find("m")->Draw();
  ASSERT_EQ(1u, mRenderer.mStrips.size());
  EXPECT_EQ(8.0f, mRenderer.mStrips[0][1].mPos.x);
  EXPECT_EQ(255, mRenderer.mStrips[0][1].mColor.Alpha());
  Find("m")->setVisible(false);
  Find("m")->Draw();
  EXPECT_EQ(1u, mRenderer.mStrips.size());
}
