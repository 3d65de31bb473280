// customtextedit: typing sounds, the placeholder and the enable window of the game's text
// entry; talks to the sound assets, the disabled-button look and the window manager.
#include "shell/customtextedit.h"

#include "core/window/modalwindow.h"
#include "core/window/button.h"
#include "core/window/windowstyle.h"
#include "shell/buttontools.h"
#include "shell/shellglue.h"
#include "core/sound/soundplayer.h"

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
  mStatusWindow = style.GetString("statuswindow", "");
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
      TSoundPlayer::Play(sound, false);
    }
  }
  return true;
}

bool TCustomTextEdit::OnKeyDown(char key, unsigned modifiers)
{
  const str before = GetText();
  const bool handled = TTextEdit::OnKeyDown(key, modifiers);
  AfterKey(before);
  return handled;
}

bool TCustomTextEdit::OnChar(char c)
{
  const str before = GetText();
  const bool handled = TTextEdit::OnChar(c);
  AfterKey(before);
  return handled;
}

bool TCustomTextEdit::OnUTF8Char(str c)
{
  // With UTF-8 input the characters come this way instead of OnChar.
  const str before = GetText();
  const bool handled = TTextEdit::OnUTF8Char(c);
  AfterKey(before);
  return handled;
}

void TCustomTextEdit::AfterKey(const str& before)
{
  // A paste that was cut changes the text and has news of its own.
  if (GetText() != before && !mRefusedNow) {
    if (TWindow* status = FindInDialog(mStatusWindow)) {
      ShowWindow(status, false);
      InvalidateGameScreen();
    }
  }
  mRefusedNow = false;
  TestEnable(0);
}

void TCustomTextEdit::OnRefused(ERefusal reason)
{
  mRefusedNow = true;
  TText* status = TWindow::GetCast<TText>(FindInDialog(mStatusWindow));
  if (!status) {
    return;
  }
  switch (reason) {
  case kRefusedFull:
    status->SetText(GameString("entry_full", str::getFormatted("%u", GetLimit())));
    break;
  case kRefusedUnshown:
    status->SetText(GameString("entry_unshown"));
    break;
  case kRefusedControl:
    status->SetText(GameString("entry_control"));
    break;
  }
  ShowWindow(status, true);
  InvalidateGameScreen();
}

TWindow* TCustomTextEdit::FindInDialog(const str& name)
{
  TModalWindow* modal = name.empty() ? nullptr : FindParentModal();
  return modal ? modal->GetChildWindow(name, -1) : nullptr;
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
  TWindow* window = FindInDialog(mEnableWindow);
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
