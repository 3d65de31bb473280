// gamewindow: the game's one engine window ("GameWindow"): ticks the game controller every
// 20 ms while its layer is on top, and hands it the drawing, the mouse and the keys.
#pragma once

#include <cstdint>

#include "core/window/window.h"
#include "core/window/windowmanager.h"

class TTheGame;

// While its layer is on top the game ticks, and frames wait for ticks: nothing moves
// between two ticks, so a frame more than one a tick shows nothing new of the game.
class TGameWindow : public TWindow, public IFrameGate
{
public:
  static const int kTickPeriod = 20;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TGameWindow"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  TGameWindow() {}
  // The controller forgets the window.
  ~TGameWindow() override;

  // Starts the tick, then tells the game controller that its window is ready.
  void PostChildrenInit(TWindowStyle& style) override;
  bool OnTaskAnimate() override;
  void Draw() override;
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnMouseMove(const TPoint& point) override;
  bool OnKeyDown(char key, unsigned modifiers) override;
  // With no window named, the game's layer lost or regained the top of the stack: the
  // analytics timer of what the player is doing stops or runs again.
  void OnKillFocus(TWindow* next) override;
  void OnSetFocus(TWindow* previous) override;

  // The controller the window started, while it exists.
  TTheGame* GetGame() const { return mGame; }
  // The controller is going: the window hands nothing on any more.
  void ForgetGame() { mGame = nullptr; }

  // Ticks run so far (benches compare them with the frames drawn).
  uint64_t GetTicks() const { return mTicks; }

  // A frame is due once a tick ran since the last one, or at once while the game does not
  // tick (another layer over it).
  bool FrameAllowed() override;
  void FrameDrawn() override { mTickedSinceFrame = false; }

private:
  // A screen that comes to take the input (a dialog, the journal, the next screen once its
  // fade ends) is told where the pointer rests, so what lies under it shows its hover look.
  void OfferPointerToNewInputScreen();

  TTheGame* mGame = nullptr;
  uint64_t mTicks = 0;
  bool mTickedSinceFrame = true;
  const void* mInputScreen = nullptr;
};

TWindow* TGameWindowDynamicCreate();
