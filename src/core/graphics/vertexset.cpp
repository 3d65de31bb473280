// vertexset: vertex kinds, vertex sets and the sprite-quad builder; talks to the
// math and colour types only.
#include "core/graphics/vertexset.h"

#include <cstring>

static_assert(sizeof(TVert) == 32, "TVert must be 32 bytes");
static_assert(sizeof(TLitVert) == 32, "TLitVert must be 32 bytes");
static_assert(sizeof(TTransformedLitVert) == 32, "TTransformedLitVert must be 32 bytes");
static_assert(sizeof(TPreScaledTransformedLitVert) == 32, "TPreScaledTransformedLitVert must be 32 bytes");
static_assert(offsetof(TVert, mNormal) == 12 && offsetof(TVert, mUV) == 24, "TVert layout");
static_assert(offsetof(TLitVert, mColor) == 16 && offsetof(TLitVert, mSecondColor) == 20 &&
                  offsetof(TLitVert, mUV) == 24,
              "TLitVert layout");
static_assert(offsetof(TTransformedLitVert, mRhw) == 12 && offsetof(TTransformedLitVert, mColor) == 16 &&
                  offsetof(TTransformedLitVert, mSecondColor) == 20 && offsetof(TTransformedLitVert, mUV) == 24,
              "TTransformedLitVert layout");
static_assert(offsetof(TPreScaledTransformedLitVert, mColor) == 16 && offsetof(TPreScaledTransformedLitVert, mUV) == 24,
              "TPreScaledTransformedLitVert layout");

TVertexSet::TVertexSet(TVert* verts, unsigned count) : mData(new TVertexSetData{kVert, verts, count}) {}
TVertexSet::TVertexSet(TLitVert* verts, unsigned count) : mData(new TVertexSetData{kLitVert, verts, count}) {}
TVertexSet::TVertexSet(TTransformedLitVert* verts, unsigned count)
    : mData(new TVertexSetData{kTransformedLitVert, verts, count})
{}
TVertexSet::TVertexSet(TPreScaledTransformedLitVert* verts, unsigned count)
    : mData(new TVertexSetData{kPreScaledTransformedLitVert, verts, count})
{}
TVertexSet::TVertexSet(const TVertexSet& other) : mData(new TVertexSetData(*other.mData)) {}

TVertexSet& TVertexSet::operator=(const TVertexSet& other)
{
  *mData = *other.mData;
  return *this;
}

TVertexSet::~TVertexSet()
{
  delete mData;
}

static unsigned char ChannelByte(float value)
{
  // Truncation toward zero, negatives as 0; callers keep channels within 0..1.
  float scaled = value * 255.0f;
  if (!(scaled > 0.0f)) {
    return 0;
  }
  if (scaled >= 255.0f) {
    return 255;
  }
  return static_cast<unsigned char>(scaled);
}

void CreateVertsFromRect(const TVec2& offset, TTransformedLitVert* verts, TVec2* corners, const TVec2* uv,
                         const TMat3& transform, float alpha, const TColor& color)
{
  std::memset(static_cast<void*>(verts), 0, sizeof(TTransformedLitVert) * 4);
  int alphaByte = static_cast<int>(alpha * 255.0f);
  if (alphaByte < 0) {
    alphaByte = 0;
  } else if (alphaByte > 255) {
    alphaByte = 255;
  }
  TColor32 vertexColor(ChannelByte(color.r), ChannelByte(color.g), ChannelByte(color.b),
                       static_cast<unsigned char>(alphaByte));
  static const int kCornerU[4] = {0, 1, 1, 0};
  static const int kCornerV[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    corners[i] = corners[i] * transform;
    TTransformedLitVert& vert = verts[i];
    vert.mColor = vertexColor;
    vert.mSecondColor = TColor32(0, 0, 0, 255);
    vert.mPos = TVec3(corners[i].x + offset.x, corners[i].y + offset.y, 0.1f);
    vert.mRhw = 0.5f;
    vert.mUV = TVec2(uv[kCornerU[i]].x, uv[kCornerV[i]].y);
  }
}
