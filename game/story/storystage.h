// storystage: what the story model asks of the game controller that owns it: screens made,
// switched to and given back, dialogs and scenes on the overlay, the map, cinematics, events.
#pragma once

#include "core/foundation/str.h"

class TSceneScreen;

// Handed to the rounds, cases and free play when they are made, so that the model never
// reaches for the controller and the controller's folder stays above the model's.
class TStoryStage
{
public:
  // Durations of the screens' fades, in ms.
  static const unsigned kScreenFade = 250;

  virtual ~TStoryStage() {}

  // A new screen of the class (its name in the configuration), owned by the controller;
  // null for a class the screen factory does not know.
  virtual TSceneScreen* AddScreen(const str& className) = 0;
  virtual void DeleteScreen(TSceneScreen* screen) = 0;
  virtual void SwitchToScreen(TSceneScreen* screen, unsigned ms) = 0;
  // A dialog or a new main scene on the overlay screen; false when there is no overlay.
  virtual bool ShowOverlayDialog(const str& name, bool modal) = 0;
  virtual bool ReloadOverlayScene(const str& file) = 0;
  // The story map offers the location again (a case started afresh).
  virtual void ActivateMapLocation(const str& locationId) = 0;
  virtual void PlayMovie(const str& name) = 0;

  // An event of the state machine (EGameEvent).
  virtual void PostEvent(int event) = 0;
  // EControllerGameMode: 1 story, 2 free play; 0 before a mode was chosen.
  virtual int GetGameMode() const = 0;
  virtual bool IsLocalVersionForWallOfFame() const = 0;
  // Every score category back to 0.
  virtual void setStartScore() = 0;
};
