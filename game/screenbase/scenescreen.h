// scenescreen: the base of the game's screens: a list of scene layers drawn in order, files
// queued for loading, activation, a fade through black and the screen's saved record.
#pragma once

#include <vector>

#include "screenbase/gamescreen.h"

class TGameControl;
class TScene;
class TSceneObject;

class TSceneScreen : public TGameScreen
{
public:
  TSceneScreen();
  ~TSceneScreen() override;

  str getDynamicScreenID() const override { return mScreenId; }
  void SetDynamicScreenID(const str& id) { mScreenId = id; }
  // The controller that made the screen, which it reports to; null for a screen made
  // without one.
  TGameControl* GetControl() const { return mControl; }
  void SetControl(TGameControl* control) { mControl = control; }

  // With now true loads the file at once and answers the new scene's name; otherwise
  // queues the file (loaded before the screen is next activated, ticked, drawn or saved)
  // and answers "".
  virtual str AddScene(const str& file, bool now);
  const std::vector<str>& GetQueuedScenes() const { return mQueued; }
  void LoadQueuedScenes();
  // Scene i, 0 first (drawn first); null out of range.
  TScene* getScene(unsigned index) const;
  unsigned getSceneCount() const { return unsigned(mScenes.size()); }
  void DeleteScene(TScene* scene);
  // Moves the scene to the end of the list: drawn last, offered the mouse first.
  void SceneToFront(TScene* scene);
  // The first object of that name in the scenes, in list order.
  TSceneObject* FindObject(const str& name) const;
  // The object under the point in the top scene that has one (as drawn last frame).
  TSceneObject* HitTest(const TPoint& point) const;

  void Activate() override;
  void Deactivate() override;
  bool IsActive() const { return mActive; }
  void StartFading(unsigned time, bool fadeIn) override;
  bool IsFading() const override { return mFadeTime != 0; }
  // 1 when fully shown, 0 when faded out.
  float GetFadeLevel() const;

  void OnTick(double ms) override;
  // A fade or a scene changes what the screen draws with time.
  virtual bool IsAnimating() const;
  using TGameScreen::Draw;
  void Draw(TSceneRenderer& renderer) override;
  // Offered to the scenes from the top one down, until one takes it.
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnMouseMove(const TPoint& point) override;
  bool OnKeyDown(char key, unsigned modifiers) override { return false; }

  // A u32 scene count and each scene's record; queued files are loaded first.
  bool Save(TBinaryBuffer* buffer) override;
  // Reads the count and, per scene, a new scene that loads its record.
  bool LoadSaved(TBinaryBuffer* buffer) override;
  // The configuration file the game has for this screen, which a saved record of it must
  // name; set by its owner before LoadSaved (empty: any).
  void ExpectConfig(const str& config) { mExpectedConfig = config; }
  const str& GetExpectedConfig() const { return mExpectedConfig; }

protected:
  // Posts the event (EGameEvent) to the controller that made the screen; nothing happens
  // for a screen made without one.
  void Report(int event);
  // A scene was added, from its file or (fromSave) from a saved record: the place to
  // offer it the screen's Lua functions.
  virtual void PostLoadInit(TScene* scene, bool fromSave) {}
  // A fade has run its time (after a fade-out the screen is still active: the game
  // controller deactivates it).
  virtual void OnFadeCompleted(bool fadeIn) {}
  void ClearScenes();

private:
  TSceneScreen(const TSceneScreen&) = delete;
  TSceneScreen& operator=(const TSceneScreen&) = delete;

  void AddLayer(TScene* scene, bool fromSave);
  void DrawFadeVeil(float level, TSceneRenderer& renderer);

  str mScreenId;
  TGameControl* mControl = nullptr;
  std::vector<str> mQueued;
  // Drawn in order; the last is on top.
  std::vector<TScene*> mScenes;
  bool mActive = false;
  unsigned mFadeTime = 0;
  double mFadeElapsed = 0;
  bool mFadeIn = true;
  bool mFadedOut = false;
  str mExpectedConfig;
};
