// vertexset: the four fixed 32-byte vertex kinds the renderer draws and a non-owning
// view of one array of them; the OpenGL back end reads the arrays in place (stride 32).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/foundation/color.h"
#include "core/foundation/mat.h"
#include "core/foundation/vec.h"

// Plain vertex with a normal, lit by the back end's lighting.
struct TVert
{
  TVec3 mPos;
  TVec3 mNormal;
  TVec2 mUV;
};

// Vertex with its own colour; byte 12 is padding kept so every kind shares one layout.
struct TLitVert
{
  TVec3 mPos;
  float mUnused;
  TColor32 mColor;
  TColor32 mSecondColor;
  TVec2 mUV;
};

// Screen-space vertex in viewport pixels.
struct TTransformedLitVert
{
  TVec3 mPos;
  float mRhw;
  TColor32 mColor;
  TColor32 mSecondColor;
  TVec2 mUV;
};

// Screen-space vertex in render-target (or display) pixels, ignoring the viewport.
struct TPreScaledTransformedLitVert
{
  TVec3 mPos;
  float mRhw;
  TColor32 mColor;
  TColor32 mSecondColor;
  TVec2 mUV;
};

// A non-owning view: the caller keeps the vertex array alive while the set is drawn.
class TVertexSet
{
public:
  enum EKind : uint32_t
  {
    kVert = 0,
    kLitVert = 1,
    kTransformedLitVert = 2,
    kPreScaledTransformedLitVert = 3
  };

  TVertexSet(TVert* verts, unsigned count);
  TVertexSet(TLitVert* verts, unsigned count);
  TVertexSet(TTransformedLitVert* verts, unsigned count);
  TVertexSet(TPreScaledTransformedLitVert* verts, unsigned count);
  TVertexSet(const TVertexSet& other);
  TVertexSet& operator=(const TVertexSet& other);
  ~TVertexSet();

  void SetCount(unsigned count) { mData->mCount = count; }
  unsigned GetCount() const { return mData->mCount; }
  EKind GetKind() const { return static_cast<EKind>(mData->mKind); }
  void* GetVerts() const { return mData->mVerts; }

private:
  struct TVertexSetData
  {
    uint32_t mKind;
    void* mVerts;
    uint32_t mCount;
  };
  TVertexSetData* mData;
};

// Builds the 4 vertices of a sprite quad, corners in the order top-left, top-right,
// bottom-right, bottom-left; corners are transformed in place, uv holds the top-left and
// bottom-right texture coordinates.
void CreateVertsFromRect(const TVec2& offset, TTransformedLitVert* verts, TVec2* corners, const TVec2* uv,
                         const TMat3& transform, float alpha, const TColor& color);
