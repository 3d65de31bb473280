// vertexset tests: the sprite-quad builder's positions, colours, alpha and texture
// coordinates, and that a vertex set never owns its array.
#include <gtest/gtest.h>

#include "core/graphics/vertexset.h"

namespace {

TTransformedLitVert BuildQuad(float alpha, TVec2 offset = TVec2(0, 0), TColor color = TColor(1, 1, 1, 1))
{
  TTransformedLitVert verts[4];
  TVec2 corners[4] = {TVec2(0, 0), TVec2(64, 0), TVec2(64, 32), TVec2(0, 32)};
  TVec2 uv[2] = {TVec2(0.25f, 0.5f), TVec2(0.75f, 1.0f)};
  CreateVertsFromRect(offset, verts, corners, uv, TMat3(), alpha, color);
  return verts[0];
}

} // namespace

TEST(CreateVertsFromRect, AlphaIsTruncatedAndClamped)
{
  EXPECT_EQ(BuildQuad(1.0f).mColor.Alpha(), 255);
  EXPECT_EQ(BuildQuad(1.5f).mColor.Alpha(), 255);
  EXPECT_EQ(BuildQuad(-0.2f).mColor.Alpha(), 0);
  EXPECT_EQ(BuildQuad(0.999f).mColor.Alpha(), 254);
}

TEST(CreateVertsFromRect, ColourIgnoresItsOwnAlphaAndSecondColourIsOpaqueBlack)
{
  TTransformedLitVert vert = BuildQuad(1.0f, TVec2(0, 0), TColor(1.0f, 0.5f, 0.0f, 0.0f));
  EXPECT_EQ(vert.mColor.Red(), 255);
  EXPECT_EQ(vert.mColor.Green(), 127);
  EXPECT_EQ(vert.mColor.Blue(), 0);
  EXPECT_EQ(vert.mColor.Alpha(), 255);
  EXPECT_EQ(vert.mSecondColor.mValue, 0xFF000000u);
}

TEST(CreateVertsFromRect, OffsetCornersUvOrderAndDepth)
{
  TTransformedLitVert verts[4];
  TVec2 corners[4] = {TVec2(0, 0), TVec2(64, 0), TVec2(64, 32), TVec2(0, 32)};
  TVec2 uv[2] = {TVec2(0.25f, 0.5f), TVec2(0.75f, 1.0f)};
  CreateVertsFromRect(TVec2(10, 20), verts, corners, uv, TMat3(), 1.0f, TColor(1, 1, 1, 1));
  const float expected[4][2] = {{10, 20}, {74, 20}, {74, 52}, {10, 52}};
  const float expectedUv[4][2] = {{0.25f, 0.5f}, {0.75f, 0.5f}, {0.75f, 1.0f}, {0.25f, 1.0f}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(verts[i].mPos.x, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(verts[i].mPos.y, expected[i][1]) << i;
    EXPECT_FLOAT_EQ(verts[i].mPos.z, 0.1f);
    EXPECT_FLOAT_EQ(verts[i].mRhw, 0.5f);
    EXPECT_FLOAT_EQ(verts[i].mUV.x, expectedUv[i][0]) << i;
    EXPECT_FLOAT_EQ(verts[i].mUV.y, expectedUv[i][1]) << i;
  }
}

TEST(CreateVertsFromRect, CornersAreTransformedInPlace)
{
  TTransformedLitVert verts[4];
  TVec2 corners[4] = {TVec2(0, 0), TVec2(2, 0), TVec2(2, 2), TVec2(0, 2)};
  TVec2 uv[2] = {TVec2(0, 0), TVec2(1, 1)};
  TMat3 transform;
  transform.Scale(3.0f);
  transform[2] = TVec3(100, 50, 1);
  CreateVertsFromRect(TVec2(1, 1), verts, corners, uv, transform, 1.0f, TColor(1, 1, 1, 1));
  EXPECT_FLOAT_EQ(corners[2].x, 106.0f);
  EXPECT_FLOAT_EQ(corners[2].y, 56.0f);
  EXPECT_FLOAT_EQ(verts[2].mPos.x, 107.0f);
  EXPECT_FLOAT_EQ(verts[2].mPos.y, 57.0f);
}

TEST(TVertexSet, DoesNotOwnItsVertices)
{
  TLitVert* verts = new TLitVert[3];
  verts[2].mPos = TVec3(7, 8, 9);
  {
    TVertexSet set(verts, 3);
    EXPECT_EQ(set.GetKind(), TVertexSet::kLitVert);
    EXPECT_EQ(set.GetCount(), 3u);
    set.SetCount(2);
    EXPECT_EQ(set.GetCount(), 2u);
    TVertexSet copy(set);
    EXPECT_EQ(copy.GetVerts(), static_cast<void*>(verts));
  }
  EXPECT_FLOAT_EQ(verts[2].mPos.z, 9.0f);
  delete[] verts;
}
