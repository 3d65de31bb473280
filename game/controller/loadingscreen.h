// loadingscreen: the first screen: shows its scene while the textures listed in
// "configs/loading.xml" load and the XML preloader parses its scene files, one a tick, then
// tells the game controller it is done.
#pragma once

#include <vector>

#include "screenbase/scenescreen.h"
#include "scene/texturewrapper.h"

class TLoadingScreen : public TSceneScreen
{
public:
  static constexpr char kConfig[] = "configs/loading.xml";

  void Activate() override;
  void OnTick(double ms) override;

  // Loaded so far, and listed.
  size_t GetLoadedCount() const { return mLoaded.size(); }
  size_t GetListedCount() const { return mTextures.size(); }

private:
  void ReadConfig();

  bool mConfigured = false;
  bool mDone = false;
  std::vector<str> mTextures;
  // Held for the game's life, so the screens that show them find them loaded.
  std::vector<TTextureWrapperRef> mLoaded;
};
