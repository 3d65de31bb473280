// gamecontrol: what a screen may ask of the game controller that made it: post an event,
// score, show a tutorial, save, read the game mode, the rules and the current case, and
// start the music.
#pragma once

#include <cstdint>

#include "core/foundation/str.h"

class GMusicManager;
class TCase;
class TFreePlayMode;
class TRandom;

// Handed to every screen the controller makes (TSceneScreen::GetControl), so that screens
// never reach for the controller itself and the controller's folder stays above theirs.
class TGameControl
{
public:
  virtual ~TGameControl() {}

  // An event of the state machine (EGameEvent); handled after the running transition.
  virtual void PostEvent(int event) = 0;
  virtual void AddScore(const str& category, uint32_t points) = 0;
  virtual void SetScore(const str& category, uint32_t points) = 0;
  virtual void ShowTutorial(const str& name) = 0;
  virtual bool SaveGame() = 0;

  // EControllerGameMode: 1 story, 2 free play; 0 before a mode was chosen.
  virtual int GetGameMode() const = 0;
  // The story's current case; null in free play or between cases.
  virtual TCase* GetCurrentCase() const = 0;
  virtual TFreePlayMode& GetFreePlay() = 0;
  // The game's random generator (music tracks, journal animations).
  virtual TRandom& GetRandom() = 0;
  // The game's music, which screens start as they are shown.
  virtual GMusicManager* GetMusic() = 0;
  // Game rules.
  virtual uint32_t GetObjectPoints() const = 0;
  virtual uint32_t GetTimeBonusPoints() const = 0;
  virtual unsigned GetFreePlayTime() const = 0;
};
