// image: the window that shows one texture, scaled, mirrored, turned or faded; the state
// graphic of buttons and the parts of sliders. Talks to the texture cache and the renderer.
#include "core/window/image.h"

#include "core/graphics/displaybackend.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "core/window/windowmanager.h"
#include "core/window/windowstyle.h"

namespace {

void InvalidateScreen()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->InvalidateScreen();
  }
}

} // namespace

TWindow* TImageDynamicCreate()
{
  return new TImage(true);
}

intptr_t TImage::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TImageDynamicCreate);
  return id;
}

TImage::TImage(bool captureDraw) : mScale(1.0f), mAlpha(1.0f), mDrawFlags(0), mRotate(false)
{
  if (captureDraw) {
    mFlags |= kCaptureDraw;
  }
  mFlags |= kOpaque;
}

TImage::~TImage() {}

void TImage::Resize()
{
  if (!mTexture) {
    return;
  }
  const unsigned width = unsigned(float(mTexture->GetWidth()) * mScale + 0.5f);
  const unsigned height = unsigned(float(mTexture->GetHeight()) * mScale + 0.5f);
  if (mRotate) {
    SetWindowSize(height, width);
  } else {
    SetWindowSize(width, height);
  }
}

void TImage::SetTexture(boost::shared_ptr<TTexture> texture, float scale)
{
  mTexture = texture;
  mScale = scale;
  Resize();
  InvalidateScreen();
}

void TImage::SetDrawFlags(unsigned flags)
{
  mDrawFlags = flags;
  InvalidateScreen();
}

void TImage::SetRotate(bool rotate)
{
  if (rotate == mRotate) {
    return;
  }
  mRotate = rotate;
  Resize();
  InvalidateScreen();
}

void TImage::SetAlpha(float alpha)
{
  mAlpha = alpha;
  const bool opaque = alpha == 1.0f && mTexture && !mTexture->HasAlpha();
  // Through SetFlags, which tells the modal window whether the image now covers it.
  SetFlags((GetFlags() & ~unsigned(kOpaque)) | (opaque ? unsigned(kOpaque) : 0u));
  InvalidateScreen();
}

void TImage::SetImage(const str& image, float scale)
{
  SetTexture(TTexture::Get(image, 0), scale);
}

void TImage::Init(TWindowStyle& style)
{
  const str image = style.GetString("image", "");
  const str mask = style.GetString("mask", "");
  float scale = float(style.GetNumber("scale", 1.0));
  unsigned textureFlags = 0;
  if (style.GetBool("alpha", false)) {
    textureFlags |= TTexture::kGetAlpha;
    mFlags &= ~unsigned(kOpaque);
  }
  if (style.GetBool("mipmap", false)) {
    textureFlags |= TTexture::kGetMipmap;
  }
  if (style.GetBool("hflip", false)) {
    mDrawFlags |= TDrawSpec::kMirrorLeftRight;
  }
  if (style.GetBool("vflip", false)) {
    mDrawFlags |= TDrawSpec::kMirrorTopBottom;
  }
  mRotate = style.GetBool("rotate", false);

  boost::shared_ptr<TTexture> texture;
  if (!image.empty() && !mask.empty()) {
    texture = TTexture::GetMerged(image, mask, textureFlags);
  } else if (!image.empty()) {
    texture = TTexture::Get(image, textureFlags);
  }

  if (texture && scale == 1.0f && style.GetBool("autoscale", false)) {
    unsigned displayWidth = 0;
    unsigned displayHeight = 0;
    bool fullscreen = false;
    TRenderer::GetInstance()->GetDisplayHandler()->GetDisplay(&displayWidth, &displayHeight, &fullscreen);
    const float horizontal = texture->GetWidth() != 0 ? float(displayWidth) / float(texture->GetWidth()) : 1.0f;
    const float vertical = texture->GetHeight() != 0 ? float(displayHeight) / float(texture->GetHeight()) : 0.0f;
    scale = vertical > 1.0f ? vertical : horizontal;
  }
  SetTexture(texture, scale);
  // The style layout only fills in an extent that is still 0. Clearing the extent the style
  // names lets its "w" or "h" replace the texture's, while an extent it leaves out stays the
  // texture's, so that centring and far-edge placement still use the image's size.
  const bool givenWidth = style.Has("w");
  const bool givenHeight = style.Has("h");
  if (givenWidth || givenHeight) {
    SetWindowSize(givenWidth ? 0u : unsigned(GetWindowWidth()), givenHeight ? 0u : unsigned(GetWindowHeight()));
  }
  TWindow::Init(style);
}

void TImage::Draw()
{
  if (!mTexture) {
    return;
  }
  TBegin2d twoD;
  TDrawSpec spec;
  spec.mTransform = TMat3();
  if (mRotate) {
    spec.mTransform.Rotate(1.5707964f);
  }
  if (mScale != 1.0f) {
    spec.mTransform.Scale(mScale);
  }
  spec.mTransform[2] = TVec3(0.0f, 0.0f, 1.0f);
  spec.mCenter = mRotate ? TVec2(0.0f, float(mTexture->GetHeight())) : TVec2(0.0f, 0.0f);
  spec.mColor = TColor(1.0f, 1.0f, 1.0f, 1.0f);
  spec.mAlpha = mAlpha;
  spec.mFlags = mDrawFlags | TDrawSpec::kCenterGiven;
  spec.mBlendMode = -1;
  mTexture->DrawSprite(spec);
}
