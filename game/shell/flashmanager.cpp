// flashmanager: the cinematic's poll task, the movie dialog opened through the window
// script, the pop down to the game's layer and the word to its listener.
#include "shell/flashmanager.h"

#include "core/foundation/services.h"
#include "core/foundation/file.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/window/modalwindow.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "shell/flashwindow.h"
#include "shell/shellglue.h"
#include "core/foundation/debug.h"

namespace {

TMovieListener* gListener = nullptr;

void TellListener()
{
  if (gListener) {
    gListener->FlashMovieStooped();
  }
}

} // namespace

TFlashTimer::~TFlashTimer()
{
  if (mManager) {
    mManager->OnTimerDeleted(this);
  }
}

bool TFlashTimer::Animate()
{
  return mManager && mManager->OnTimer(this);
}

TFlashManager* TFlashManager::GetInstance()
{
  static TFlashManager instance;
  instance.RegisterLua();
  return &instance;
}

void TFlashManager::SetListener(TMovieListener* listener)
{
  gListener = listener;
}

TFlashManager::TFlashManager() {}

TFlashManager::~TFlashManager()
{
  // The platform's task list may already be gone at the program's end: only the link
  // between the task and this object is cut.
  if (mTimer) {
    mTimer->Detach();
    mTimer = nullptr;
  }
}

void TFlashManager::RegisterLua()
{
  // The window script may be made after the first use (and again by tests): bind to
  // whichever script is there, once per script.
  lua_State* L = GameLuaState();
  if (!L) {
    return;
  }
  lua_getglobal(L, "StopFlashMovie");
  const bool bound = !lua_isnil(L, -1);
  lua_pop(L, 1);
  if (!bound) {
    LuaBind(L, "StopFlashMovie", this, &TFlashManager::StopMovie);
  }
}

void TFlashManager::PlayMovie(const str& name)
{
  // A poll task of an earlier movie must not open or stop this one.
  EndTimer();
  mMovieName = name;
  mPending = true;
  IAppHost* host = TServices::Get().host;
  if (!host) {
    WriteDbg("ERROR: No platform to play the cinematic %s", name.c_str());
    mPending = false;
    return;
  }
  mTimer = new TFlashTimer(this);
  host->GetTaskList()->AdoptTask(mTimer);
  mTimer->SetDelay(kPollInterval, true, true, false);
}

void TFlashManager::EndTimer()
{
  if (mTimer) {
    mTimer->Detach();
    mTimer = nullptr;
  }
}

void TFlashManager::OnTimerDeleted(TFlashTimer* timer)
{
  if (mTimer == timer) {
    mTimer = nullptr;
  }
}

void TFlashManager::Shutdown()
{
  if (mTimer) {
    IAppHost* host = TServices::Get().host;
    TFlashTimer* timer = mTimer;
    EndTimer();
    if (host && host->GetTaskList()->OrphanTask(timer)) {
      delete timer;
    }
  }
  mPending = false;
  mMovieName = str();
}

TFlashWindow* TFlashManager::FindFlashWindow()
{
  return TWindow::GetControl<TFlashWindow>(kWindowName);
}

bool TFlashManager::CanOpenDialog()
{
  TWindowScript* script = dynamic_cast<TWindowScript*>(GameScript());
  return TFile::Exists(kDialogFile) && script && script->IsWaitingForMessage();
}

bool TFlashManager::IsWindowInStack()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  for (TModalWindow* layer : manager->GetModalStack()) {
    if (TWindow::GetCast<TFlashWindow>(layer->GetChildWindow(kWindowName, -1))) {
      return true;
    }
  }
  return false;
}

void TFlashManager::PopToGameLayer()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  // Pops every dialog above the game's layer; stops at the bottom layer, which is never
  // popped, when the game's layer is missing.
  while (TModalWindow* top = manager->GetTopModalWindow()) {
    if (top->GetName() == kGameLayerName) {
      break;
    }
    const size_t depth = manager->GetModalStack().size();
    manager->PopModal(top->GetIdString());
    if (manager->GetModalStack().size() >= depth) {
      break;
    }
  }
}

void TFlashManager::Skip(const char* reason)
{
  WriteDbg("ERROR: The cinematic %s cannot be shown (%s); the story goes on without it", mMovieName.c_str(), reason);
  EndTimer();
  mPending = false;
  TellListener();
}

bool TFlashManager::OnTimer(TFlashTimer* timer)
{
  if (timer != mTimer) {
    return false;
  }
  if (mPending) {
    mPending = false;
    // The dialog is injected into the window script's waiting loop; without it, or
    // without the dialog's script, nothing would ever end the movie.
    if (!CanOpenDialog()) {
      Skip("the movie dialog cannot be opened");
      return false;
    }
    mMissingPolls = 0;
    RunGameLua(kDialogScript);
  }
  TFlashWindow* window = FindFlashWindow();
  if (!window) {
    // Covered by another dialog: wait. Nowhere at all: the dialog made no movie window.
    if (!IsWindowInStack() && ++mMissingPolls >= 2) {
      PopToGameLayer();
      Skip("its dialog has no movie window");
      return false;
    }
    return true;
  }
  mMissingPolls = 0;
  if (!window->GetHost() || !window->GetHost()->IsPlaying()) {
    const bool shown = window->GetHost() && window->GetHost()->IsReady();
    WriteDbg("Cinematic %s %s", mMovieName.c_str(), shown ? "ended" : "skipped: nothing can play it");
    StopMovie();
    return false;
  }
  return true;
}

void TFlashManager::StopMovie()
{
  TFlashWindow* window = FindFlashWindow();
  if (!window) {
    return;
  }
  // The task ends at its next run; a stop from Lua leaves nothing polling.
  EndTimer();
  window->StopMovie();
  PopToGameLayer();
  TellListener();
}
