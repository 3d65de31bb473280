// assetmap: probes asset names for a file, picks the loader by extension and keeps the
// loaded assets; talks to TFile, the asset registry, textures, animations, sounds, scripts, models.
#include "core/graphics/assetmap.h"

#include <cstdlib>
#include <cstring>

#include "core/foundation/file.h"
#include "core/foundation/services.h"
#include "core/graphics/animatedtexture.h"
#include "core/graphics/model.h"
#include "core/graphics/texture.h"
#include "core/graphics/texturedata.h"
#include "core/script/script.h"
#include "core/foundation/debug.h"

namespace {

// In the order a name without extension is completed.
const char* const kProbeExtensions[] = {".xml", ".anm", ".jpg", ".jp2", ".png", ".spx", ".ogg", ".mesh", ".lua"};

str Normalised(str name)
{
  return name.replace(str("\\"), str("/"), str::kReplaceAll);
}

template <class T>
boost::shared_ptr<T> CastAsset(const boost::shared_ptr<TAsset>& asset)
{
  if (asset && asset->IsKindOf(T::ClassId())) {
    return boost::static_pointer_cast<T>(asset);
  }
  return boost::shared_ptr<T>();
}

template <class T>
boost::shared_ptr<T> Registered(const str& key)
{
  TAssetManager* registry = TAssetManager::GetInstance();
  return registry ? CastAsset<T>(registry->GetAsset(key)) : boost::shared_ptr<T>();
}

} // namespace

str SoundHandle(str name, str options)
{
  int group = 0;
  if (!options.empty()) {
    unsigned at = options.find(str("group="));
    if (at != str::npos) {
      group = std::atoi(options.c_str() + at + 6);
    }
  }
  return str::getFormatted("%s;%d;%d", name.c_str(), 0, group);
}

TAssetMap::~TAssetMap() {}

void TAssetMap::AddAsset(str name, boost::shared_ptr<TAsset> asset, bool quiet)
{
  name = Normalised(name);
  if (asset) {
    mAssets[name] = asset;
    return;
  }
  const str requested = name;
  str options;
  unsigned question = name.find('?');
  if (question != str::npos) {
    options = name.substr(question);
    name = name.substr(0, static_cast<int>(question));
  }

  str file;
  if (TFile::Exists(name)) {
    file = name;
  } else {
    for (const char* extension : kProbeExtensions) {
      if (TFile::Exists(name + extension)) {
        file = name + extension;
        break;
      }
    }
  }
  if (file.empty()) {
    if (!quiet) {
      WriteDbg("ERROR: TAssetMap::AddAsset: Failed to find asset %s with any standard extension "
               "(jpg/jp2/png/anm/xml/ogg/mesh)",
               requested.c_str());
    }
    return;
  }

  const char* dot = std::strrchr(file.c_str(), '.');
  const str kind = dot ? str(dot + 1) : str();
  const str withOptions = file + options;
  // Only the texture and sound loaders read options; the others would look for a file
  // whose name ends in them.
  str key;
  boost::shared_ptr<TAsset> loaded;
  if (kind == "jpg" || kind == "png" || kind == "jp2") {
    key = TTextureData::TextureHandle(requested + options, false, false, false);
    loaded = Registered<TTexture>(key);
    if (!loaded) {
      loaded = TTexture::Get(withOptions, 0);
    }
  } else if (kind == "xml" || kind == "anm") {
    key = TAnimatedTexture::GetHandle(requested + options, str(), str());
    loaded = Registered<TAnimatedTexture>(key);
    if (!loaded) {
      loaded = TAnimatedTexture::Get(file, str(), str());
    }
  } else if (kind == "ogg" || kind == "spx") {
    key = SoundHandle(requested, options);
    if (ISoundPlayback* sound = TServices::Get().sound) {
      TAssetManager* registry = TAssetManager::GetInstance();
      boost::shared_ptr<TAsset> registered = registry ? registry->GetAsset(key) : boost::shared_ptr<TAsset>();
      loaded = sound->AsSound(registered) ? registered : sound->GetSoundAsset(withOptions, true, -1);
    }
  } else if (kind == "lua") {
    key = requested;
    loaded = Registered<TScriptCode>(key);
    if (!loaded) {
      str error;
      loaded = TScriptCode::Get(file, str(), &error);
    }
  } else if (kind == "mesh") {
    key = requested;
    loaded = Registered<TModel>(key);
    if (!loaded) {
      loaded = TModel::Get(file);
    }
  }

  if (!loaded) {
    if (!quiet) {
      WriteDbg("ERROR: TAssetMap::AddAsset: Error loading %s", withOptions.c_str());
    }
    return;
  }
  if (TAssetManager* registry = TAssetManager::GetInstance()) {
    registry->AddAsset(key, loaded);
  }
  mAssets[requested] = loaded;
}

void TAssetMap::AddAssets(char const** names)
{
  for (; names && *names; ++names) {
    AddAsset(*names, boost::shared_ptr<TAsset>(), false);
  }
}

bool TAssetMap::QueryAsset(str name)
{
  return static_cast<bool>(mAssets[Normalised(name)]);
}

boost::shared_ptr<TAsset> TAssetMap::FindOrLoad(const str& name)
{
  if (boost::shared_ptr<TAsset> asset = mAssets[name]) {
    return asset;
  }
  if (mAutoLoad) {
    AddAsset(name, boost::shared_ptr<TAsset>(), false);
    return mAssets[name];
  }
  return boost::shared_ptr<TAsset>();
}

boost::shared_ptr<TTexture> TAssetMap::GetTexture(str name)
{
  name = Normalised(name);
  if (boost::shared_ptr<TAsset> asset = FindOrLoad(name)) {
    return CastAsset<TTexture>(asset);
  }
  WriteDbg("ERROR: Texture asset not found: %s (auto load set to %s)", name.c_str(), mAutoLoad ? "true" : "false");
  return boost::shared_ptr<TTexture>();
}

boost::shared_ptr<TSound> TAssetMap::GetSound(str name)
{
  name = Normalised(name);
  if (boost::shared_ptr<TAsset> asset = FindOrLoad(name)) {
    ISoundPlayback* sound = TServices::Get().sound;
    return sound ? sound->AsSound(asset) : boost::shared_ptr<TSound>();
  }
  WriteDbg("ERROR: Sound asset not found: %s", name.c_str());
  return boost::shared_ptr<TSound>();
}
