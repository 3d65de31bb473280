// customtextedit: typing sounds, the placeholder and the enable window of the game's text
// entry; talks to the sound assets, the disabled-button look and the window manager.
#include "flow/customtextedit.h"

#include "core/window/modalwindow.h"
#include "core/window/widgets/button.h"
#include "core/window/windowstyle.h"
#include "flow/buttontools.h"
#include "flow/shellglue.h"
#include "platform/sound/sound.h"

namespace {

str TypingSound(int number)
{
  return str::getFormatted("audio/sfx/sfx_typing_%02d.ogg?group=1000", number);
}

} // namespace

TWindow* TCustomTextEditDynamicCreate()
{
  return new TCustomTextEdit;
}

intptr_t TCustomTextEdit::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TCustomTextEditDynamicCreate);
  return id;
}

TCustomTextEdit::TCustomTextEdit()
{
  for (int number = 1; number <= kTypingSounds; ++number) {
    mSounds.AddAsset(TypingSound(number), boost::shared_ptr<TAsset>(), false);
  }
}

void TCustomTextEdit::Init(TWindowStyle& style)
{
  mInitialCleared = !style.GetBool("clearinitial", false);
  mEnableWindow = style.GetString("enablewindow", "");
  TTextEdit::Init(style);
}

void TCustomTextEdit::ClearInitial()
{
  if (!mInitialCleared) {
    mInitialCleared = true;
    SetText("");
  }
}

bool TCustomTextEdit::OnMouseUp(const TPoint& point)
{
  if (!mInitialCleared) {
    ClearInitial();
    return true;
  }
  return TTextEdit::OnMouseUp(point);
}

bool TCustomTextEdit::KeyHit(eKeyType type, char c)
{
  ClearInitial();
  if (type != kKeyInsert) {
    return TTextEdit::KeyHit(type, c);
  }
  if (!TTextEdit::KeyHit(kKeyInsert, c)) {
    return false;
  }
  const int number = 1 + int(4.0 * mRandom.RandDouble());
  const str name = TypingSound(number);
  if (mSounds.QueryAsset(name)) {
    if (boost::shared_ptr<TSound> sound = mSounds.GetSound(name)) {
      sound->Play(false);
    }
  }
  return true;
}

bool TCustomTextEdit::OnKeyDown(char key, unsigned modifiers)
{
  const bool handled = TTextEdit::OnKeyDown(key, modifiers);
  TestEnable(0);
  return handled;
}

bool TCustomTextEdit::OnChar(char c)
{
  const bool handled = TTextEdit::OnChar(c);
  TestEnable(0);
  return handled;
}

bool TCustomTextEdit::OnUTF8Char(str c)
{
  // With UTF-8 input the characters come this way instead of OnChar.
  const bool handled = TTextEdit::OnUTF8Char(c);
  TestEnable(0);
  return handled;
}

void TCustomTextEdit::TestEnable(int)
{
  if (mEnableWindow.empty()) {
    return;
  }
  const str text = GetText();
  bool blank = true;
  for (unsigned i = 0; i < text.length() && blank; ++i) {
    blank = text[i] == ' ';
  }
  TModalWindow* modal = FindParentModal();
  TWindow* window = modal ? modal->GetChildWindow(mEnableWindow, -1) : nullptr;
  if (!window) {
    return;
  }
  if (TButton* button = window->GetCast<TButton>()) {
    ButtonTools::DisabledButton(button, blank);
  } else {
    ShowWindow(window, blank);
  }
  InvalidateGameScreen();
}
