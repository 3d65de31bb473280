// customtextedit: the game's text entry ("TextEdit"): a typing sound for each character, an
// optional placeholder that the first click or key clears, a window (normally the OK button)
// that follows whether the typed text is blank, and a status text that says why a character
// was refused.
#pragma once

#include <cstdint>

#include "core/foundation/random.h"
#include "core/foundation/str.h"
#include "core/graphics/assetmap.h"
#include "core/window/textedit.h"

class TCustomTextEdit : public TTextEdit
{
public:
  static const int kTypingSounds = 4;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TCustomTextEdit"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TTextEdit::IsKindOf(id); }

  TCustomTextEdit();

  // Reads "clearinitial", "enablewindow" and "statuswindow" before the text entry's own keys.
  void Init(TWindowStyle& style) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnKeyDown(char key, unsigned modifiers) override;
  bool OnChar(char c) override;
  bool OnUTF8Char(str c) override;
  bool KeyHit(eKeyType type, char c) override;
  // Shows in the status window (a text of the same dialog) why the entry took nothing.
  void OnRefused(ERefusal reason) override;

  // Disables (a button) or shows (any other window) the enable window while the text is blank.
  void TestEnable(int unused);

  bool IsInitialCleared() const { return mInitialCleared; }
  const str& GetEnableWindow() const { return mEnableWindow; }

private:
  void ClearInitial();
  TWindow* FindInDialog(const str& name);
  // After a key: the enable window follows the text, and a change hides the status, whose
  // news (a refusal, or the dialog's own word on the old text) is then out of date.
  void AfterKey(const str& before);

  TAssetMap mSounds;
  TRandom mRandom;
  bool mInitialCleared = true;
  str mEnableWindow;
  str mStatusWindow;
  bool mRefusedNow = false;
};

TWindow* TCustomTextEditDynamicCreate();
