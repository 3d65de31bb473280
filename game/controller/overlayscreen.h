// overlayscreen: the layer above the game's screens on which the story's dialogs play (case
// intros, search intros and ends, theories, case and round ends) from the round's overlay scene.
#pragma once

#include "screenbase/scenescreen.h"

class TOverlayScreen : public TSceneScreen
{
public:
  static const unsigned kFadeTime = 250;
  static constexpr char kAnimator[] = "main_animator";

  // Starts the dialog animation anim on the overlay's main scene; a modal dialog keeps the
  // player's input and posts evDialogClosed once it has closed. A dialog the scene cannot
  // show closes at once (with an "ERROR: " line), so the story never waits for it.
  void ShowDialog(const str& anim, bool modal);
  // The dialog's scene asks to close it (Lua "CloseDialog").
  void CloseDialog();
  void ReloadMainScene(const str& file);

  bool IsDialogShown() const { return mShown; }
  bool IsModal() const { return mShown && mModal; }
  const str& GetDialog() const { return mDialog; }
  const str& GetMainSceneFile() const { return mMainSceneFile; }

  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnMouseMove(const TPoint& point) override;

protected:
  void PostLoadInit(TScene* scene, bool fromSave) override;
  void OnFadeCompleted(bool fadeIn) override;

private:
  // Sets "main_animator" to the dialog's first state; false when the scene has no such
  // object or state.
  bool StartDialogAnimation(const str& state);

  str mDialog;
  str mMainSceneFile;
  bool mShown = false;
  bool mModal = false;
  bool mClosing = false;
};
