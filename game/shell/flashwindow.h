// flashwindow: the window ("FlashWindow") that the movie dialog "scripts/flashwindow.lua"
// creates; it owns the cinematic host for as long as the movie plays and plays the comic music
// while a movie does.
#pragma once

#include <cstdint>

#include "core/window/window.h"

class IMovieHost;

class TFlashWindow : public TWindow
{
public:
  static constexpr char kMusic[] = "audio/music/comic.ogg";

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TFlashWindow"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  TFlashWindow() {}
  // Stops and deletes a host still playing, whichever way the dialog was closed.
  ~TFlashWindow() override;

  void Init(TWindowStyle& style) override;
  void PostChildrenInit(TWindowStyle& style) override;

  void StopMovie();
  IMovieHost* GetHost() const { return mHost; }

private:
  IMovieHost* mHost = nullptr;
};

TWindow* TFlashWindowDynamicCreate();
