// gamescreen: what the game controller asks of every screen: showing and hiding, fading,
// ticking, drawing, the player's input and the screen's record in a saved game.
#pragma once

#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "scene/scenerenderer.h"

class TBinaryBuffer;

class TGameScreen
{
public:
  virtual ~TGameScreen() {}

  // The class name the screen factory made it under.
  virtual str getDynamicScreenID() const = 0;

  virtual void Activate() = 0;
  virtual void Deactivate() = 0;
  // Fades the screen out, or in from black, over time ms.
  virtual void StartFading(unsigned time, bool fadeIn) = 0;
  virtual bool IsFading() const = 0;

  virtual void OnTick(double ms) = 0;
  // Draws into the renderer the game window hands down.
  virtual void Draw(TSceneRenderer& renderer) = 0;
  // Draws into the scene renderer in use (for callers outside a frame's draw).
  void Draw() { Draw(*TSceneRenderer::Get()); }

  // True when the screen used the input.
  virtual bool OnMouseDown(const TPoint& point) = 0;
  virtual bool OnMouseUp(const TPoint& point) = 0;
  virtual bool OnMouseMove(const TPoint& point) = 0;
  virtual bool OnKeyDown(char key, unsigned modifiers) = 0;

  // The screen's record in a saved game; LoadSaved reads it into a screen just made by
  // the factory and answers false (with an "ERROR: " line) for a damaged record.
  virtual bool Save(TBinaryBuffer* buffer) = 0;
  virtual bool LoadSaved(TBinaryBuffer* buffer) = 0;
};
