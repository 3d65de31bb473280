// gamemain: the game's start function and event loop; talks to the platform facade, the
// window manager and its script, the string table and the texture cache.
#include "flow/gamemain.h"

#include "core/app/platform.h"
#include "core/foundation/file.h"
#include "core/foundation/stringtable.h"
#include "core/graphics/texture.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "flow/musicmanager.h"
#include "flow/settings.h"
#include "flow/shellwindows.h"
#include "flow/scriptfailure.h"
#include "platform/debug.h"

namespace {

// The key-down that the loop drops (Control+R on the keyboards the game was made for).
const int kDroppedKeyCode = 18;
// The font the game's screens name; text falls back to the built-in font without it.
const char kGameFont[] = "fonts/default.mvec";

// Lua "GameLog": a line in the debug log, so a run can be followed from outside.
void GameLog(str text)
{
  WriteDbg("game: %s", text.c_str());
}

} // namespace

bool RunGameScript(char const* name, str* error)
{
  TWindowManager* manager = TWindowManager::GetInstance();
  TScript* script = manager ? dynamic_cast<TScript*>(manager->GetScript()) : nullptr;
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

bool DispatchGameEvent(TPlatform* platform, TEvent* event)
{
  switch (event->type) {
  case TEvent::kQuit:
    return false;
  case TEvent::kClose:
    // The script asks the player; the request also reaches the windows below. Without
    // a script that can ask, the request is the answer.
    if (!RunGameScript("scripts/quitverify.lua")) {
      return false;
    }
    break;
  case TEvent::kFullscreenToggled:
    if (TSettings* settings = TSettings::GetInstance()) {
      settings->UpdateFullScreen();
    }
    break;
  case TEvent::kKeyDown:
    if (event->code == kDroppedKeyCode) {
      return true;
    }
    break;
  default:
    break;
  }
  if (TWindowManager* manager = platform ? platform->GetWindowManager() : nullptr) {
    manager->HandleEvent(event);
  }
  return true;
}

void StartGame(TPlatform* platform)
{
  if (TStringTable* table = platform->GetStringTable()) {
    platform->SetWindowTitle(table->GetString("windowtitle", "", "", "", "", ""));
  }
  // The settings open the display, full screen or not as the player chose.
  TSettings::CreateSettings();
  TSettings::GetInstance()->InitGameToSettings();
  if (!TFile::Exists(kGameFont)) {
    WriteDbg("ERROR: The game's font %s is missing; the built-in font stands in", kGameFont);
  }
  if (boost::shared_ptr<TTexture> cursor = TTexture::GetSimple("cursor/cursor")) {
    platform->SetCursor(cursor, TPoint(1, 1), false);
  }
  TWindowManager* manager = platform->GetWindowManager();
  if (TScript* script = manager ? dynamic_cast<TScript*>(manager->GetScript()) : nullptr) {
    LuaBind(script->GetState(), "GameLog", &GameLog);
    // The screens' flow runs in that coroutine: without it nothing answers the player.
    script->SetFailureHook(
        [manager](const str& message) { ShowScriptFailure(manager, "scripts/mainloop.lua", message); });
  }
  RegisterShellWindows();
  for (const char* name : {"scripts/mainloop.lua", "scripts/buttons.lua"}) {
    str error;
    if (!RunGameScript(name, &error)) {
      ShowScriptFailure(manager, name, error);
      break;
    }
  }
}

void EndGame()
{
  // The music manager outlives the platform: its sounds must go while the sound system exists.
  GMusicManager::Instance()->ReleaseSounds();
  TSettings::DeleteSettings();
}

void Main(TPlatform* platform, char const* commandLine)
{
  (void)commandLine;
  StartGame(platform);
  TEvent event;
  do {
    platform->GetEvent(&event);
  } while (DispatchGameEvent(platform, &event));
  EndGame();
}
