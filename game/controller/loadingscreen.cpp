// loadingscreen: the loading scene, the texture list read from its configuration, loaded
// through the texture manager, then the preloader's files parsed, as many a tick as its
// budget holds, and the end of loading posted to the game controller.
#include "controller/loadingscreen.h"

#include "core/foundation/timesource.h"
#include "core/foundation/xmlnode.h"
#include "media/musicmanager.h"
#include "controller/thegame.h"
#include "core/foundation/debug.h"
#include "scene/texturemanager.h"
#include "scene/xmlpreloader.h"

void TLoadingScreen::ReadConfig()
{
  mConfigured = true;
  TXmlNode document;
  document.ParseFile(kConfig);
  TXmlNode* loading = document.GetChild("loading");
  if (!loading) {
    WriteDbg("ERROR: %s has no \"loading\"; nothing is loaded ahead", kConfig);
    return;
  }
  const str scene = loading->GetAttribute("scene");
  if (!scene.empty()) {
    AddScene(scene, true);
  }
  str tag;
  TXmlNode* texture = nullptr;
  loading->ResetChildren();
  while (loading->GetNextChild(&tag, &texture)) {
    if (tag == "texture" && !texture->GetAttribute("file").empty()) {
      mTextures.push_back(texture->GetAttribute("file"));
    }
  }
}

void TLoadingScreen::Activate()
{
  if (TGameControl* game = GetControl()) {
    game->GetMusic()->StopMusic();
  }
  if (!mConfigured) {
    ReadConfig();
    TDefSingleton<TXmlPreloader>::GetInstance()->LoadConfig();
  }
  TSceneScreen::Activate();
}

bool TLoadingScreen::LoadNext()
{
  if (mLoaded.size() < mTextures.size()) {
    const str& name = mTextures[mLoaded.size()];
    TTextureManager* textures = TTextureManager::GetInstance();
    mLoaded.push_back(textures ? textures->getTexture(name) : TTextureWrapperRef());
    if (!mLoaded.back()) {
      WriteDbg("ERROR: The texture %s listed for loading cannot be loaded", name.c_str());
    }
    return true;
  }
  TXmlPreloader* preloader = TDefSingleton<TXmlPreloader>::GetInstance();
  if (preloader->getParsedCount() < preloader->getNodesCount()) {
    preloader->ParseNextNode();
    return true;
  }
  return false;
}

void TLoadingScreen::OnTick(double ms)
{
  TSceneScreen::OnTick(ms);
  if (mDone) {
    return;
  }
  // Steps follow one another while the tick's budget lasts. A clock that shows no time
  // passing over a step (a stopped one) cannot say what is left of it: one step a tick then.
  const uint64_t start = TTimeSource::Microseconds();
  uint64_t spent = 0;
  bool more = true;
  do {
    more = LoadNext();
    spent = TTimeSource::Microseconds() - start;
  } while (more && spent > 0 && spent < kTickBudget);
  if (more) {
    return;
  }
  mDone = true;
  Report(evLoadingCompleted);
}
