// assetmap: a named list of assets of mixed kinds (textures, animations, sounds, scripts,
// meshes) that one owner keeps alive; finds files by extension and shares them via the registry.
#pragma once

#include <map>

#include <boost/shared_ptr.hpp>

#include "core/foundation/asset.h"
#include "core/foundation/str.h"

class TTexture;
class TSound;

// The asset lists' registry key of a sound: name, the in-memory flag 0 and the group
// from a "group=" option.
str SoundHandle(str name, str options);

class TAssetMap
{
public:
  TAssetMap() : mAutoLoad(false) {}
  virtual ~TAssetMap();

  // Stores asset under name when given; otherwise finds the file of name (probing the
  // standard extensions), loads it with the loader of its kind and stores that. quiet
  // silences the two lines about missing and unloadable files.
  void AddAsset(str name, boost::shared_ptr<TAsset> asset, bool quiet);
  // Adds each name of a list ended by a null pointer.
  void AddAssets(char const** names);
  // Whether a loaded asset is stored under name.
  bool QueryAsset(str name);
  // The stored asset as that class; empty for a missing name (loaded first when
  // mAutoLoad is set) or an asset of another class.
  boost::shared_ptr<TTexture> GetTexture(str name);
  boost::shared_ptr<TSound> GetSound(str name);

  bool mAutoLoad;

private:
  TAssetMap(const TAssetMap&) = delete;
  TAssetMap& operator=(const TAssetMap&) = delete;

  // The asset under a normalised name, loaded now when it is missing and mAutoLoad is set;
  // null when there is none.
  boost::shared_ptr<TAsset> FindOrLoad(const str& name);

  std::map<str, boost::shared_ptr<TAsset>> mAssets;
};
