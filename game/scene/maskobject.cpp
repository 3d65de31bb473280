// maskobject: an image object that also darkens the whole 800 x 600 screen outside its own
// rectangle, for spotlight effects; draws the darkness as one triangle strip.
#include "scene/maskobject.h"

#include "core/graphics/vertexset.h"
#include "scene/matrixutil.h"
#include "scene/scenerenderer.h"

TMaskObject::TMaskObject()
{
  mMaterial.mDiffuse = TColor(0, 0, 0, 1);
  mMaterial.mAmbient = TColor(1, 1, 1, 1);
}

void TMaskObject::Draw(TSceneRenderer& renderer)
{
  TImageObject::Draw(renderer);
  if (!mVisible)
    return;
  // The hole is placed by the position relative to the parent, rotation and pivot aside:
  // scenes are laid out for exactly that.
  const float centreX = static_cast<float>(TruncateToUnsigned(mPosition.x));
  const float centreY = static_cast<float>(TruncateToUnsigned(mPosition.y));
  const TRect& source = mDrawSpec.mSrcRect;
  const float halfWidth = static_cast<float>(source.right - source.left) * mScale.x / 2;
  const float halfHeight = static_cast<float>(source.bottom - source.top) * mScale.y / 2;
  const float left = centreX - halfWidth, right = centreX + halfWidth;
  const float top = centreY - halfHeight, bottom = centreY + halfHeight;
  const TVec2 corners[10] = {TVec2(0, 0),     TVec2(left, top),     TVec2(800, 0), TVec2(right, top),
                             TVec2(800, 600), TVec2(right, bottom), TVec2(0, 600), TVec2(left, bottom),
                             TVec2(0, 0),     TVec2(left, top)};
  int alpha = TruncateToInt(mAlpha * 255);
  alpha = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
  TTransformedLitVert vertices[10];
  for (int i = 0; i < 10; ++i) {
    vertices[i].mPos = TVec3(corners[i].x, corners[i].y, 0);
    vertices[i].mRhw = 1;
    vertices[i].mColor = TColor32(0, 0, 0, static_cast<unsigned char>(alpha));
    vertices[i].mSecondColor = TColor32(0u);
  }
  renderer.DrawStrip(vertices, 10, &mMaterial);
}
