// texture: texture handles, the cache lookups over the asset registry and sprite drawing;
// talks to the renderer, the back end's texture data and the image loader.
#include "core/graphics/texture.h"

#include <algorithm>

#include "core/foundation/config.h"
#include "core/foundation/config.h"
#include "core/graphics/displaybackend.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texturedata.h"
#include "core/graphics/vertexset.h"
#include "core/foundation/debug.h"

TDrawSpec::TDrawSpec()
    : mTransform(), mCenter(0, 0), mColor(1, 1, 1, 1), mAlpha(1.0f), mSrcRect(), mFlags(0), mBlendMode(-1)
{}

TDrawSpec::TDrawSpec(const TVec2& pos, float alpha, float scale, unsigned flags) : TDrawSpec()
{
  mAlpha = alpha;
  mFlags = flags;
  if (scale != 1.0f) {
    mTransform.Scale(scale);
  }
  mTransform[2] = TVec3(pos.x, pos.y, 1.0f);
}

TFont::TFont() : mFace("fonts/arial.mvec"), mSize(10), mReserved(0), mColor(0, 0, 0, 1) {}

intptr_t TTexture::ClassId()
{
  return reinterpret_cast<intptr_t>(&TTexture::ClassId);
}

TTexture::TTexture() : mData(TRenderer::GetInstance()->GetDisplayHandler()->NewTextureData()) {}

TTexture::~TTexture()
{
  if (mData && mData->mName.length() == 0) {
    if (TAssetManager* registry = TAssetManager::GetInstance()) {
      registry->RemoveAsset(str::getFormatted("%lx:tex:r", reinterpret_cast<unsigned long>(this)));
    }
  }
  delete mData;
}

bool TTexture::IsKindOf(intptr_t classId) const
{
  return classId == ClassId() || TAsset::IsKindOf(classId);
}

void TTexture::Release()
{
  if (mData) {
    mData->Release();
  }
}

void TTexture::Restore()
{
  if (mData) {
    mData->Restore();
  }
}

unsigned TTexture::GetWidth() const
{
  return mData ? mData->mWidth : 0;
}

unsigned TTexture::GetHeight() const
{
  return mData ? mData->mHeight : 0;
}

bool TTexture::Lock(TColor32** pixels, unsigned* pitch)
{
  return mData && mData->Lock(pixels, pitch);
}

void TTexture::Unlock()
{
  if (mData) {
    mData->Unlock();
  }
}

void TTexture::Clear()
{
  if (mData) {
    mData->Clear();
  }
}

bool TTexture::IsSimple() const
{
  return mData && mData->HasFlag(TTextureData::kFlagSimple);
}

bool TTexture::HasAlpha() const
{
  return mData && mData->HasFlag(TTextureData::kFlagAlpha);
}

std::pair<int, int> TTexture::GetInternalSize() const
{
  if (!mData) {
    return std::make_pair(0, 0);
  }
  int width = static_cast<int>(mData->mWidth + 2 * mData->mOffsetX + 1) & ~1;
  int height = static_cast<int>(mData->mHeight + 2 * mData->mOffsetY + 1) & ~1;
  return std::make_pair(width, height);
}

str TTexture::GetName() const
{
  if (!mData) {
    return str(".");
  }
  return mData->mName + "." + mData->mMaskName;
}

boost::shared_ptr<TTexture> TTexture::InternalGet(str handle)
{
  TAssetManager* registry = TAssetManager::GetInstance();
  if (!registry) {
    return boost::shared_ptr<TTexture>();
  }
  return boost::dynamic_pointer_cast<TTexture>(registry->GetAsset(handle));
}

boost::shared_ptr<TTexture> TTexture::InternalNew(str handle)
{
  boost::shared_ptr<TTexture> texture(new TTexture());
  if (handle.length() == 0) {
    handle = str::getFormatted("%lx:tex:r", reinterpret_cast<unsigned long>(texture.get()));
  }
  if (TAssetManager* registry = TAssetManager::GetInstance()) {
    registry->AddAsset(handle, texture);
  }
  return texture;
}

boost::shared_ptr<TTexture> TTexture::NotLoaded(const str& name)
{
  // Every image is named by a script, a style or the game: a missing one is a fault.
  WriteDbg("ERROR: Image %s cannot be loaded", name.c_str());
  return boost::shared_ptr<TTexture>();
}

boost::shared_ptr<TTexture> TTexture::Get(str name, unsigned flags)
{
  const bool alpha = (flags & kGetAlpha) != 0;
  const bool mipmap = (flags & kGetMipmap) != 0;
  str handle = TTextureData::TextureHandle(name, alpha, mipmap, false);
  if (boost::shared_ptr<TTexture> live = InternalGet(handle)) {
    return live;
  }
  boost::shared_ptr<TTexture> texture = InternalNew(handle);
  TTextureData* data = texture->mData;
  if (alpha) {
    data->SetFlag(TTextureData::kFlagAlpha, true);
  } else if (flags & kGetNoAlpha) {
    data->SetFlag(TTextureData::kFlagAlpha, false);
  } else {
    data->SetFlag(TTextureData::kFlagAlphaFromFile, true);
  }
  data->SetFlag(TTextureData::kFlagMipmap, mipmap);
  if (!data->LoadFile(name.c_str(), nullptr)) {
    return NotLoaded(name);
  }
  return texture;
}

boost::shared_ptr<TTexture> TTexture::GetSimple(str name)
{
  str handle = TTextureData::TextureHandle(name, false, false, true);
  if (boost::shared_ptr<TTexture> live = InternalGet(handle)) {
    return live;
  }
  boost::shared_ptr<TTexture> texture = InternalNew(handle);
  texture->mData->SetFlag(TTextureData::kFlagSimple | TTextureData::kFlagAlphaFromFile, true);
  if (!texture->mData->LoadFile(name.c_str(), nullptr)) {
    return NotLoaded(name);
  }
  return texture;
}

boost::shared_ptr<TTexture> TTexture::GetMerged(str colour, str mask, unsigned flags)
{
  const bool mipmap = (flags & kGetMipmap) != 0;
  str handle = TTextureData::TextureHandle(colour, mask, mipmap, false);
  if (boost::shared_ptr<TTexture> live = InternalGet(handle)) {
    return live;
  }
  boost::shared_ptr<TTexture> texture = InternalNew(handle);
  texture->mData->SetFlag(TTextureData::kFlagAlpha, true);
  texture->mData->SetFlag(TTextureData::kFlagMipmap, mipmap);
  if (!texture->mData->LoadFile(colour.c_str(), mask.c_str())) {
    return NotLoaded(colour + " (mask " + mask + ")");
  }
  return texture;
}

boost::shared_ptr<TTexture> TTexture::Create(unsigned width, unsigned height, bool alpha)
{
  boost::shared_ptr<TTexture> texture = InternalNew(str());
  texture->mData->SetFlag(TTextureData::kFlagAlpha, alpha);
  if (!texture->mData->CreateSurface(width, height, true)) {
    return boost::shared_ptr<TTexture>();
  }
  return texture;
}

void TTexture::DrawSprite(float x, float y, float alpha, float scale, float rotation, unsigned flags)
{
  if (!mData || !TRenderer::GetInstance()->In2d()) {
    return;
  }
  TDrawSpec spec(TVec2(x, y), alpha, scale, flags);
  spec.mTransform.Rotate(rotation);
  DrawSprite(spec);
}

void TTexture::DrawSprite(const TDrawSpec& spec)
{
  TRenderer* renderer = TRenderer::GetInstance();
  if (!mData || !renderer->In2d() || mData->HasFlag(TTextureData::kFlagSimple)) {
    return;
  }
  TRect source = (spec.mFlags & TDrawSpec::kSourceRect)
                     ? spec.mSrcRect
                     : TRect(0, 0, static_cast<int>(mData->mWidth), static_cast<int>(mData->mHeight));
  const float width = static_cast<float>(source.right - source.left);
  const float height = static_cast<float>(source.bottom - source.top);
  TVec2 offset = (spec.mFlags & TDrawSpec::kCenterGiven)
                     ? -spec.mCenter
                     : TVec2((source.left - source.right) * 0.5f, (source.top - source.bottom) * 0.5f);
  TVec2 corners[4] = {offset, offset + TVec2(width, 0), offset + TVec2(width, height), offset + TVec2(0, height)};
  if (spec.mFlags & TDrawSpec::kMirrorTopBottom) {
    std::swap(corners[0].y, corners[2].y);
    std::swap(corners[1].y, corners[3].y);
  }
  if (spec.mFlags & TDrawSpec::kMirrorLeftRight) {
    std::swap(corners[0].x, corners[1].x);
    std::swap(corners[2].x, corners[3].x);
  }
  const float internalWidth = static_cast<float>(mData->mInternalWidth);
  const float internalHeight = static_cast<float>(mData->mInternalHeight);
  TVec2 uv[2] = {TVec2(source.left / internalWidth, source.top / internalHeight),
                 TVec2(source.right / internalWidth, source.bottom / internalHeight)};
  TTransformedLitVert verts[4];
  CreateVertsFromRect(TVec2(0, 0), verts, corners, uv, spec.mTransform, spec.mAlpha, spec.mColor);

  // Looked up again only when the configuration changed: this runs for every sprite of
  // every frame.
  static const str kCullingKey(TConfig::kSoftwareTextureCulling);
  static const str kNoValue;
  static unsigned cullingChecked = ~0u;
  static bool culling = false;
  if (cullingChecked != TConfig::GetChangeCount()) {
    cullingChecked = TConfig::GetChangeCount();
    culling = TConfig::Get(kCullingKey, kNoValue).to_int() != 0;
  }
  if (culling) {
    TURect clip = renderer->GetClippingRectangle();
    if (clip.right > clip.left) {
      TRect viewport;
      renderer->GetViewport(&viewport);
      float clipLeft = static_cast<float>(static_cast<int>(clip.left) - viewport.left);
      float clipRight = static_cast<float>(static_cast<int>(clip.right) - viewport.left);
      float clipTop = static_cast<float>(static_cast<int>(clip.top) - viewport.top);
      float clipBottom = static_cast<float>(static_cast<int>(clip.bottom) - viewport.top);
      float minX = verts[0].mPos.x, maxX = minX, minY = verts[0].mPos.y, maxY = minY;
      for (int i = 1; i < 4; ++i) {
        minX = std::min(minX, verts[i].mPos.x);
        maxX = std::max(maxX, verts[i].mPos.x);
        minY = std::min(minY, verts[i].mPos.y);
        maxY = std::max(maxY, verts[i].mPos.y);
      }
      if (minX > clipRight || clipLeft > maxX || minY > clipBottom || clipTop > maxY) {
        return;
      }
    }
  }

  // Set again even when it is the renderer's already (the back end may have drawn with
  // another since), without taking another reference for it.
  const boost::shared_ptr<TTexture>& current = renderer->GetTexture();
  if (current.get() == this) {
    renderer->SetTexture(current);
  } else {
    renderer->SetTexture(boost::static_pointer_cast<TTexture>(shared_from_this()));
  }
  if (spec.mBlendMode != -1) {
    renderer->SetBlendMode(static_cast<TRenderer::EBlendMode>(spec.mBlendMode));
  }
  renderer->DrawVertices(TRenderer::kDrawTriangleFan, TVertexSet(verts, 4));
}

void TTexture::CopyPixels(int x, int y, const TRect* src, boost::shared_ptr<TTexture> dest)
{
  if (!mData || TRenderer::GetInstance()->InDraw()) {
    return;
  }
  if (!src) {
    mData->CopyPixels(x, y, nullptr, dest);
    return;
  }
  TRect clamped(std::max(src->left, 0), std::max(src->top, 0), std::min(src->right, static_cast<int>(mData->mWidth)),
                std::min(src->bottom, static_cast<int>(mData->mHeight)));
  mData->CopyPixels(x, y, &clamped, dest);
}
