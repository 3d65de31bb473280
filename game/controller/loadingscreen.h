// loadingscreen: the first screen: shows its scene while the textures listed in
// "configs/loading.xml" load and the XML preloader parses its scene files, as many a tick as
// a frame's budget holds, then tells the game controller it is done.
#pragma once

#include <cstdint>
#include <vector>

#include "screenbase/scenescreen.h"
#include "scene/texturewrapper.h"

class TLoadingScreen : public TSceneScreen
{
public:
  static constexpr char kConfig[] = "configs/loading.xml";
  // Microseconds of loading a tick may take, so that frames keep coming while it loads.
  static constexpr uint64_t kTickBudget = 12000;

  void Activate() override;
  void OnTick(double ms) override;

  // Loaded so far, and listed.
  size_t GetLoadedCount() const { return mLoaded.size(); }
  size_t GetListedCount() const { return mTextures.size(); }

private:
  void ReadConfig();
  // Loads the next texture or parses the next scene file; false once there is nothing left.
  bool LoadNext();

  bool mConfigured = false;
  bool mDone = false;
  std::vector<str> mTextures;
  // Held for the game's life, so the screens that show them find them loaded.
  std::vector<TTextureWrapperRef> mLoaded;
};
