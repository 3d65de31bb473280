// titlescreen: the title's music and the mode choice handed to the game controller.
#include "flow/titlescreen.h"

#include "core/script/luabind.h"
#include "flow/musicmanager.h"
#include "flow/thegame.h"
#include "scene/scene.h"

void TTitleScreen::Activate()
{
  TSceneScreen::Activate();
  GMusicManager::Instance()->PlayMusic(kMusic, true, true, "");
}

void TTitleScreen::ChooseStory()
{
  TTheGame::GetInstance()->PostEvent(evStoryChosen);
}

void TTitleScreen::ChooseFreePlay()
{
  TTheGame::GetInstance()->PostEvent(evFreePlayChosen);
}

void TTitleScreen::PostLoadInit(TScene* scene, bool fromSave)
{
  lua_State* L = scene->GetScript().GetState();
  LuaBind(L, "ChooseStory", this, &TTitleScreen::ChooseStory);
  LuaBind(L, "ChooseFreePlay", this, &TTitleScreen::ChooseFreePlay);
}
