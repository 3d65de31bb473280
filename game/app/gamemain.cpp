// gamemain: the game's start function, its preparation and its end; talks to the platform
// facade, the renderer, the analytics store, the window manager and its script, the settings,
// the texture manager, the music and cinematic managers and the game controller.
#include "app/gamemain.h"

#include "core/app/gamestate.h"
#include "platform/platform.h"
#include "core/foundation/file.h"
#include "core/foundation/stringtable.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "shell/buttontools.h"
#include "shell/flashmanager.h"
#include "shell/flashwindow.h"
#include "app/gameloop.h"
#include "controller/gamewindow.h"
#include "media/musicmanager.h"
#include "app/scriptfailure.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "shell/shellwindows.h"
#include "controller/thegame.h"
#include "core/foundation/debug.h"
#include "scene/texturemanager.h"

namespace {

// The font the game's screens name; text falls back to the built-in font without it.
const char kGameFont[] = "fonts/default.mvec";

// Lua "GameLog": a line in the debug log, so a run can be followed from outside.
void GameLog(str text)
{
  WriteDbg("game: %s", text.c_str());
}

// The analytics states the game reports, in the order the analytics handlers expect them.
void DefineAnalytics()
{
  TGameState* analytics = TGameState::GetInstance();
  if (!analytics) {
    return;
  }
  const char* const states[] = {"NumSearchScreensCompleted", "NumElimPuzzlesCompleted", "NumInterviewPuzzlesCompleted"};
  analytics->SetState("SessionTime", 1);
  analytics->SetState("begin-session", "SessionData");
  analytics->SetState("add-value", TPlatform::GetConfig("version", ""));
  for (const char* timer : {"SessionTime", "StoryModePlayTime", "ComicScreenTime", "HelpScreenTime",
                            "MainMenuScreenTime", "FreePlayModePlayTime"}) {
    analytics->SetState("add-timer", timer);
  }
  for (const char* state : states) {
    analytics->SetState("add-state", state);
  }
  analytics->SetState("end-session", "SessionData");
  for (int minutes : {15, 30, 45, 59}) {
    const str progress = str::getFormatted("Progress-%d", minutes);
    analytics->SetState(str::getFormatted("begin-elapsed(%d)", minutes), progress);
    for (const char* state : states) {
      analytics->SetState("add-state", state);
    }
    analytics->SetState(str::getFormatted("end-elapsed(%d)", minutes), progress);
  }
}

} // namespace

bool RunGameScript(char const* name, str* error)
{
  TScript* script = GameScript();
  str problem;
  if (!script) {
    problem = "there is no window script to run it";
  } else if (!TFile::Exists(name)) {
    problem = "the file is missing";
  } else {
    script->SetLastError(str());
    if (script->RunScript(name)) {
      return true;
    }
    // Lua's message was logged where it happened.
    if (error) {
      *error = script->GetLastError();
    }
    return false;
  }
  WriteDbg("ERROR: Script %s cannot run: %s", name, problem.c_str());
  if (error) {
    *error = problem;
  }
  return false;
}

void StartGame(TPlatform* platform)
{
  TPlatform::SetConfig("texturememorymax", "200000000");
  ButtonTools::RegisterInScript(nullptr);
  if (TRenderer* renderer = TRenderer::GetInstance()) {
    renderer->SetOption("new_subtractive", "1");
    renderer->SetOption("new_render_blend", "1");
    renderer->SetOption("texture_rectangle", "1");
  }
  DefineAnalytics();
  if (TStringTable* table = platform->GetStringTable()) {
    platform->SetWindowTitle(table->GetString("windowtitle", "", "", "", "", ""));
  }
  // The settings open the display, full screen or not as the player chose.
  TSettings::CreateSettings();
  TSettings::GetInstance()->InitGameToSettings();
  TTextureManager::Create();
  if (!TFile::Exists(kGameFont)) {
    WriteDbg("ERROR: The game's font %s is missing; the built-in font stands in", kGameFont);
  }
  if (boost::shared_ptr<TTexture> cursor = TTexture::GetSimple("cursor/cursor")) {
    platform->SetCursor(cursor, TPoint(1, 1), false);
  }
  TWindowManager* manager = platform->GetWindowManager();
  if (TScript* script = GameScript()) {
    LuaBind(script->GetState(), "GameLog", &GameLog);
    // The screens' flow runs in that coroutine: without it nothing answers the player.
    script->SetFailureHook(
        [manager](const str& message) { ShowScriptFailure(manager, "scripts/mainloop.lua", message); });
  }
  if (manager) {
    manager->AddWindowType("GameWindow", TGameWindow::ClassId());
    manager->AddWindowType("FlashWindow", TFlashWindow::ClassId());
  }
  RegisterShellWindows();
  RegisterShellGlue();
  for (const char* name : {"scripts/mainloop.lua", "scripts/buttons.lua"}) {
    str error;
    if (!RunGameScript(name, &error)) {
      ShowScriptFailure(manager, name, error);
      return;
    }
  }
  // The main loop script builds the game through the coroutine it starts (or builds a layer
  // at once): one that does neither, being empty or cut short, would leave a blank window.
  TScript* script = GameScript();
  const bool built = (script && script->CoroutineActive()) || (manager && manager->GetModalStack().size() > 1);
  if (!built) {
    const str message = "the script is empty or cut short: it started nothing and built no window";
    WriteDbg("ERROR: Script scripts/mainloop.lua: %s", message.c_str());
    ShowScriptFailure(manager, "scripts/mainloop.lua", message);
  }
}

void EndGame()
{
  // The game saves while the settings still hold the player's preferences.
  if (TTheGame* game = TTheGame::Peek()) {
    game->FreeResources();
  }
  TTextureManager::Destroy();
  TSettings::DeleteSettings();
  // These managers outlive the platform: their sounds and tasks must go while it exists.
  GMusicManager::Instance()->ReleaseSounds();
  TFlashManager::GetInstance()->Shutdown();
  TTheGame::DestroyInstance();
}

void SubMain(TPlatform* platform, char const* commandLine)
{
  (void)commandLine;
  // The loop first, so that the start-up scripts run under its watch too.
  TGameLoop loop(platform);
  StartGame(platform);
  TEvent event;
  do {
    platform->GetEvent(&event);
  } while (loop.Dispatch(&event));
  EndGame();
}

void Main(TPlatform* platform, char const* commandLine)
{
  SubMain(platform, commandLine);
}
