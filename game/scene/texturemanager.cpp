// texturemanager: hands out counted handles to texture-and-mask pairs, one pair per texture
// shared by every scene object that shows it; gets textures from the texture cache.
#include "scene/texturemanager.h"

#include <algorithm>
#include <memory>

#include "core/graphics/texture.h"
#include "core/graphics/texturedata.h"

namespace {

// The texture cache. A texture loaded for the manager has its mask built from the pixels
// as they are decoded; one that was already cached is read back once instead.
class TCachedTextureSource : public TTextureSource, private TDecodedImageListener
{
public:
  boost::shared_ptr<TTexture> GetTexture(const str& name) override
  {
    mDecodedFor = nullptr;
    TDecodedImageListener* previous = TTextureData::SetDecodedImageListener(this);
    boost::shared_ptr<TTexture> texture = TTexture::Get(name, 0);
    TTextureData::SetDecodedImageListener(previous);
    return texture;
  }

  TTextureWrapper* NewWrapper(const str& name, const boost::shared_ptr<TTexture>& texture) override
  {
    if (!texture)
      return nullptr;
    if (mDecoded && mDecodedFor == texture->GetTextureData()) {
      TTextureWrapper* wrapper = mDecoded;
      wrapper->AttachTexture(texture);
      mDecoded = nullptr;
      mDecodedFor = nullptr;
      return wrapper;
    }
    return new TTextureWrapper(texture);
  }

  ~TCachedTextureSource() override { delete mDecoded; }

private:
  void OnImageDecoded(const TTextureData* data, const TColor32* pixels, unsigned width, unsigned height,
                      unsigned pitch) override
  {
    delete mDecoded;
    // The texture is attached once the cache hands it out; until then the wrapper holds the mask.
    mDecoded = new TTextureWrapper(boost::shared_ptr<TTexture>(), pixels, width, height, pitch);
    mDecodedFor = data;
  }

  TTextureWrapper* mDecoded = nullptr;
  const TTextureData* mDecodedFor = nullptr;
};

TCachedTextureSource& CachedSource()
{
  static TCachedTextureSource source;
  return source;
}

} // namespace

TTextureManager* TTextureManager::sInstance = nullptr;
bool TTextureManager::sCreated = false;

TTextureManager::TTextureManager() : mSource(nullptr) {}

TTextureManager::~TTextureManager() {}

TTextureManager* TTextureManager::Create()
{
  if (!sInstance) {
    sCreated = true;
    sInstance = new TTextureManager();
  }
  return sInstance;
}

void TTextureManager::Destroy()
{
  if (sCreated && sInstance) {
    delete sInstance;
    sInstance = nullptr;
  }
}

TTextureManager* TTextureManager::GetInstance()
{
  return sInstance;
}

void TTextureManager::SetSource(TTextureSource* source)
{
  mSource = source;
}

TTextureWrapperRef TTextureManager::getTexture(str name)
{
  // A wrapper made for the name already serves it; a deferred one is loaded now unless loads
  // are still deferred.
  for (TTextureWrapper* wrapper : mWrappers) {
    if ((wrapper->IsDeferred() || mDeferring) && wrapper->GetName() == name) {
      TTextureWrapperRef handle(wrapper);
      // Loaded now, a picture that cannot be had gives an empty handle as it would have.
      if (!mDeferring && !wrapper->GetTexture() && !wrapper->HasMask())
        return TTextureWrapperRef();
      return handle;
    }
  }
  if (mDeferring)
    return Keep(TTextureWrapper::Deferred(name));
  TTextureSource* source = mSource ? mSource : &CachedSource();
  boost::shared_ptr<TTexture> texture = source->GetTexture(name);
  for (TTextureWrapper* wrapper : mWrappers) {
    if (wrapper->IsDeferred())
      continue;
    bool same = texture ? wrapper->GetTexture() == texture : !wrapper->GetTexture() && wrapper->GetName() == name;
    if (same)
      return TTextureWrapperRef(wrapper);
  }
  TTextureWrapper* wrapper = source->NewWrapper(name, texture);
  if (!wrapper)
    return TTextureWrapperRef();
  wrapper->SetName(name);
  return Keep(wrapper);
}

TTextureWrapperRef TTextureManager::Keep(TTextureWrapper* wrapper)
{
  mWrappers.push_back(wrapper);
  TTextureWrapperRef handle(wrapper);
  mHeld.Keep(handle);
  return handle;
}

void TTextureManager::LoadDeferred(TTextureWrapper* wrapper)
{
  TTextureSource* source = mSource ? mSource : &CachedSource();
  const str name = wrapper->GetName();
  boost::shared_ptr<TTexture> texture = source->GetTexture(name);
  std::unique_ptr<TTextureWrapper> made(source->NewWrapper(name, texture));
  wrapper->TakeLoaded(made.get());
}

TTextureManager::TDeferLoads::TDeferLoads()
{
  if (TTextureManager* manager = TTextureManager::GetInstance())
    ++manager->mDeferring;
}

TTextureManager::TDeferLoads::~TDeferLoads()
{
  if (TTextureManager* manager = TTextureManager::GetInstance())
    manager->mDeferring = std::max(0, manager->mDeferring - 1);
}

void TTextureManager::BeginHold()
{
  TTextureManager* manager = TTextureManager::GetInstance();
  if (!manager || !manager->mHeld.Begin())
    return;
  for (TTextureWrapper* wrapper : manager->mWrappers)
    manager->mHeld.Keep(TTextureWrapperRef(wrapper));
}

void TTextureManager::EndHold()
{
  // Releasing a handle may delete its wrapper, which takes itself out of mWrappers.
  if (TTextureManager* manager = TTextureManager::GetInstance())
    manager->mHeld.End();
}

void TTextureManager::deleteTexture(TTextureWrapper* wrapper)
{
  auto found = std::find(mWrappers.begin(), mWrappers.end(), wrapper);
  if (found != mWrappers.end())
    mWrappers.erase(found);
}
