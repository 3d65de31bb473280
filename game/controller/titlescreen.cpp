// titlescreen: the title's theme through the music manager and the mode choice handed to
// the game controller.
#include "controller/titlescreen.h"

#include "core/script/luabind.h"
#include "media/musicmanager.h"
#include "shell/shellglue.h"
#include "controller/thegame.h"
#include "scene/scene.h"

void TTitleScreen::Activate()
{
  TSceneScreen::Activate();
  // The theme also carries the main menu laid over the title, which then leaves its own
  // track unplayed.
  if (TGameControl* game = GetControl()) {
    game->GetMusic()->PlayMusic(kMusic, true, true, "");
  }
}

void TTitleScreen::OnFadeCompleted(bool fadeIn)
{
  // Before, a dialog the menu opens (the register at a first start) would hold the game,
  // and with it the title's fade, half way.
  if (fadeIn) {
    RunGameLua("if OpenMainMenu then OpenMainMenu() end");
  }
}

void TTitleScreen::ChooseStory()
{
  Report(evStoryChosen);
}

void TTitleScreen::ChooseFreePlay()
{
  Report(evFreePlayChosen);
}

void TTitleScreen::PostLoadInit(TScene* scene, bool fromSave)
{
  lua_State* L = scene->GetScript().GetState();
  LuaBind(L, "ChooseStory", this, &TTitleScreen::ChooseStory);
  LuaBind(L, "ChooseFreePlay", this, &TTitleScreen::ChooseFreePlay);
}
