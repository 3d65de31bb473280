// scenescreen: the base of the game's screens: a list of scene layers drawn in order, files
// queued for loading, activation, a fade through black and the screen's saved record.
#pragma once

#include <vector>

#include "flow/gamescreen.h"

class TSceneScreen : public TGameScreen
{
public:
  TSceneScreen();
  ~TSceneScreen() override;

  str getDynamicScreenID() const override { return mScreenId; }
  void SetDynamicScreenID(const str& id) { mScreenId = id; }

  // With now true loads the file at once and answers the new scene's name; otherwise
  // queues the file (loaded before the screen is first ticked or drawn) and answers "".
  virtual str AddScene(const str& file, bool now);
  const std::vector<str>& GetQueuedScenes() const { return mQueued; }

  void Activate() override;
  void Deactivate() override;
  bool IsActive() const { return mActive; }
  void StartFading(unsigned time, bool fadeIn) override;
  bool IsFading() const override { return mFadeTime != 0; }
  // 1 when fully shown, 0 when faded out.
  float GetFadeLevel() const;

  void OnTick(double ms) override;
  void Draw() override {}
  bool OnMouseDown(const TPoint& point) override { return false; }
  bool OnMouseUp(const TPoint& point) override { return false; }
  bool OnMouseMove(const TPoint& point) override { return false; }
  bool OnKeyDown(char key, unsigned modifiers) override { return false; }

  bool Save(TBinaryBuffer* buffer) override;
  bool LoadSaved(TBinaryBuffer* buffer) override;

protected:
  // Called when a fade has run its time (after a fade-out the screen is still active; the
  // game controller deactivates it).
  virtual void OnFadeCompleted(bool fadeIn) {}

private:
  TSceneScreen(const TSceneScreen&) = delete;
  TSceneScreen& operator=(const TSceneScreen&) = delete;

  str mScreenId;
  std::vector<str> mQueued;
  bool mActive = false;
  unsigned mFadeTime = 0;
  double mFadeElapsed = 0;
  bool mFadeIn = true;
  bool mFadedOut = false;
};
