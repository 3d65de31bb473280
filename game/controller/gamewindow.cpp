// gamewindow: the game window's tick, drawing, input and focus, handed to the game controller.
#include "controller/gamewindow.h"

#include "core/app/gamestate.h"
#include "core/graphics/renderer.h"
#include "shell/shellglue.h"
#include "controller/thegame.h"
#include "scene/scenerenderer.h"

namespace {

// The timer of what the player is doing in that state, or null.
const char* TimerOfState(int state)
{
  switch (state) {
  case stMainMenu:
    return "MainMenuScreenTime";
  case stNone:
  case stLoading:
  case stFreePlayMap:
  case stFreePlaySearch:
  case stFreePlayScore:
    return nullptr;
  default:
    return "StoryModePlayTime";
  }
}

void SwitchTimer(TTheGame* game, bool on)
{
  const char* timer = game ? TimerOfState(game->GetState()) : nullptr;
  TGameState* analytics = TGameState::GetInstance();
  if (timer && analytics) {
    analytics->SetState(timer, on ? 1 : 0);
  }
}

// What a click or a key changed in a scene (a state without animation, say) is drawn at
// once, not with whatever moves next.
bool Shown(bool used)
{
  if (used) {
    InvalidateGameScreen();
  }
  return used;
}

} // namespace

TWindow* TGameWindowDynamicCreate()
{
  return new TGameWindow;
}

intptr_t TGameWindow::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TGameWindowDynamicCreate);
  return id;
}

TGameWindow::~TGameWindow()
{
  if (mGame && mGame->GetGameWindow() == this) {
    mGame->SetGameWindow(nullptr);
  }
  TWindowManager* manager = TWindowManager::GetInstance();
  if (manager && manager->GetFrameGate() == this) {
    manager->SetFrameGate(nullptr);
  }
}

bool TGameWindow::FrameAllowed()
{
  if (mTickedSinceFrame) {
    return true;
  }
  TWindowManager* manager = TWindowManager::GetInstance();
  return !manager || manager->GetTopModalWindow() != FindParentModal();
}

void TGameWindow::PostChildrenInit(TWindowStyle& style)
{
  TWindow::PostChildrenInit(style);
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->SetFrameGate(this);
  }
  // Re-armed 20 ms after each run, never catching up: when frames slow, game time slows.
  StartWindowAnimation(kTickPeriod, true, true, false);
  mGame = TTheGame::GetInstance();
  mGame->SetGameWindow(this);
  mGame->Init();
}

bool TGameWindow::OnTaskAnimate()
{
  TTheGame* game = mGame;
  if (!game) {
    return true;
  }
  // Only what moves asks for frames, so a still screen costs no drawing; the tick an
  // animation ends in is drawn too, with whatever its end changed.
  const bool animating = game->IsAnimating();
  ++mTicks;
  mTickedSinceFrame = true;
  game->OnTick(double(kTickPeriod));
  OfferPointerToNewInputScreen();
  if (animating || (mGame && mGame->IsAnimating())) {
    InvalidateGameScreen();
  }
  return true;
}

void TGameWindow::OfferPointerToNewInputScreen()
{
  TSceneScreen* screen = mGame ? mGame->GetInputScreen() : nullptr;
  if (screen == mInputScreen) {
    return;
  }
  mInputScreen = screen;
  TWindowManager* manager = TWindowManager::GetInstance();
  TPoint pointer;
  if (!screen || !manager || manager->GetHoverWindow() != this || !manager->GetPointer(&pointer)) {
    return;
  }
  ScreenToClient(&pointer);
  if (mGame->OnMouseMove(pointer)) {
    InvalidateGameScreen();
  }
}

void TGameWindow::Draw()
{
  // Scenes draw sprites and strips, which the renderer takes only in its 2D mode.
  if (mGame) {
    TBegin2d twoD;
    mGame->Draw(*TSceneRenderer::Get());
  }
}

bool TGameWindow::OnMouseDown(const TPoint& point)
{
  return Shown(mGame && mGame->OnMouseDown(point));
}

bool TGameWindow::OnMouseUp(const TPoint& point)
{
  return Shown(mGame && mGame->OnMouseUp(point));
}

bool TGameWindow::OnMouseMove(const TPoint& point)
{
  return mGame && mGame->OnMouseMove(point);
}

bool TGameWindow::OnKeyDown(char key, unsigned modifiers)
{
  return Shown(mGame && mGame->OnKeyDown(key, modifiers));
}

void TGameWindow::OnKillFocus(TWindow* next)
{
  if (!next && mGame) {
    SwitchTimer(mGame, false);
  }
}

void TGameWindow::OnSetFocus(TWindow* previous)
{
  if (!previous && mGame) {
    SwitchTimer(mGame, true);
  }
}
