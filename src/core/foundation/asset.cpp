// asset: base of shared, named, reference-counted resources (textures, scripts, sounds,
// models) and the registry that hands out the one live instance of each name.
#include "core/foundation/asset.h"

#include "core/foundation/debug.h"

TAssetManager* TAssetManager::mInstance = nullptr;

intptr_t TAsset::ClassId()
{
  return reinterpret_cast<intptr_t>(&TAsset::ClassId);
}

TAssetManager::TAssetManager()
{
  if (mInstance) {
    WriteDbg("ERROR: a second TAssetManager was created; the first stays the registry");
    return;
  }
  mInstance = this;
}

TAssetManager::~TAssetManager()
{
  if (mInstance == this) {
    mInstance = nullptr;
  }
}

void TAssetManager::AddAsset(const str& key, boost::shared_ptr<TAsset> asset)
{
  mAssets[key] = asset;
  if (asset) {
    mHeld.Keep(asset);
  }
}

void TAssetManager::BeginHold()
{
  TAssetManager* registry = TAssetManager::GetInstance();
  if (!registry || !registry->mHeld.Begin()) {
    return;
  }
  for (auto& entry : registry->mAssets) {
    if (boost::shared_ptr<TAsset> asset = entry.second.lock()) {
      registry->mHeld.Keep(asset);
    }
  }
}

void TAssetManager::EndHold()
{
  // An asset going may remove its entry from the registry: the list lets them go outside it.
  if (TAssetManager* registry = TAssetManager::GetInstance()) {
    registry->mHeld.End();
  }
}

boost::shared_ptr<TAsset> TAssetManager::GetAsset(const str& key)
{
  return mAssets[key].lock();
}

void TAssetManager::RemoveAsset(const str& key)
{
  auto found = mAssets.find(key);
  if (found != mAssets.end() && found->second.expired()) {
    mAssets.erase(found);
  }
}
