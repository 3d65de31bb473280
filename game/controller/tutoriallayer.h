// tutoriallayer: the layer that shows a tutorial over the game: the object of the tutorial's
// name in the tutorial scene, shown until the player clicks.
#pragma once

#include "screenbase/scenescreen.h"
#include "controller/thegame.h"

class TTutorialLayer : public TSceneScreen, public ITutorialLayer
{
public:
  static constexpr char kShowState[] = "show";

  // Shows the tutorial's object (entering its state "show" when it has one); a tutorial the
  // scene lacks is skipped with an "ERROR: " line.
  void ShowTutorial(const str& name) override;
  const str& GetShown() const { return mShown; }

  // While a tutorial shows, every click is its own: the first closes it.
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override { return IsActive(); }
  bool OnMouseMove(const TPoint& point) override { return IsActive(); }
  bool OnKeyDown(char key, unsigned modifiers) override { return IsActive(); }

private:
  void Hide();

  str mShown;
};
