// textedit: the one-line text entry: typed characters, caret moves, deletion, paste, a
// length limit, password display and Tab between the entries of a dialog; talks to the text
// window it extends, the window manager (focus, messages) and the clipboard.
#include "core/window/textedit.h"

#include <algorithm>
#include <vector>

#include "core/window/event.h"
#include "core/foundation/services.h"
#include "core/graphics/mvecfont.h"
#include "core/graphics/textgraphic.h"
#include "core/script/luatable.h"
#include "core/script/message.h"
#include "core/window/modalwindow.h"
#include "core/window/windowmanager.h"
#include "core/window/windowrenderer.h"
#include "core/window/windowscript.h"
#include "core/window/windowstyle.h"

namespace {

// Pixels between the field's edge and the text.
const int kFieldInset = 4;

// Bytes of a character by its lead byte; 0 for the terminating zero.
unsigned UTF8Length(unsigned char lead)
{
  if (lead == 0)
    return 0;
  if (lead < 0xC0)
    return 1;
  if (lead < 0xE0)
    return 2;
  if (lead < 0xF0)
    return 3;
  return 4;
}

// Bytes of the character at `at`, never past the end of the text (a lead byte may announce
// more bytes than the text has left).
unsigned CharacterLength(const str& text, unsigned at)
{
  return std::min(std::max(1u, UTF8Length((unsigned char)text[at])), text.length() - at);
}

unsigned CharacterCount(const str& text)
{
  unsigned count = 0;
  for (unsigned at = 0; at < text.length(); at += std::max(1u, UTF8Length((unsigned char)text[at]))) {
    ++count;
  }
  return count;
}

bool IsShownInLayer(const TWindow* entry)
{
  for (const TWindow* window = entry; window; window = window->GetParent()) {
    if (!(window->GetFlags() & TWindow::kVisible))
      return false;
    if (window->GetFlags() & TWindow::kModal)
      return true;
    if (!window->GetParent())
      return false;
  }
  return false;
}

// Finds the first other registered entry in a modal window, newest children first.
class TextSpider : public TWindowSpider
{
public:
  explicit TextSpider(TTextEdit* entry) : mEntry(entry) {}
  bool Process(TWindow* window) override
  {
    if (mFound)
      return false;
    TTextEdit* other = window->GetCast<TTextEdit>();
    if (other && other != mEntry) {
      boost::shared_ptr<TTextEdit::TRing> ring = other->GetRing();
      if (ring && std::find(ring->begin(), ring->end(), mEntry) == ring->end()) {
        mFound = ring;
        return false;
      }
      return true;
    }
    window->ForEachChild(this);
    return !mFound;
  }
  TTextEdit* mEntry;
  boost::shared_ptr<TTextEdit::TRing> mFound;
};

} // namespace

TWindow* TTextEditDynamicCreate()
{
  return new TTextEdit();
}

intptr_t TTextEdit::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TTextEditDynamicCreate);
  return id;
}

TTextEdit::TTextEdit()
    : TText(false), mLimit(10), mCaret(0), mCaretEnabled(true), mUTF8(false), mPassword(false), mCaretPhase(false),
      mRefusedOne(false), mRefusedChar(0)
{
  mFlags |= kFocusable;
  mClock.Reset();
  mClock.Start();
}

TTextEdit::~TTextEdit()
{
  Unregister();
}

void TTextEdit::CheckRegistration()
{
  if (mRing) {
    return;
  }
  TModalWindow* modal = FindParentModal();
  if (!modal) {
    return;
  }
  StartWindowAnimation(200, true, true, false);
  TextSpider spider(this);
  modal->ForEachChild(&spider);
  mRing = spider.mFound ? spider.mFound : boost::shared_ptr<TRing>(new TRing());
  mRing->push_back(this);
}

void TTextEdit::Unregister()
{
  if (mRing) {
    mRing->remove(this);
    mRing.reset();
  }
  StopWindowAnimation();
}

bool TTextEdit::OnNewParent()
{
  CheckRegistration();
  return TText::OnNewParent();
}

void TTextEdit::Init(TWindowStyle& style)
{
  CheckRegistration();
  const bool password = style.GetBool("password", false);
  const int limit = style.GetInt("length", 10);
  const str ignore = style.GetString("ignore", "");
  mUTF8 = style.GetBool("utf8", false);

  TWindowManager* manager = TWindowManager::GetInstance();
  TWindowScript* script = manager ? dynamic_cast<TWindowScript*>(manager->GetScript()) : nullptr;
  const bool lookup = script && script->IsStringTableEnabled();
  if (manager) {
    manager->EnableStringTable(false);
  }
  if (password) {
    mPassword = true;
    UpdateText();
  }
  TText::Init(style);
  if (manager && lookup) {
    manager->EnableStringTable(true);
  }
  mLimit = unsigned(std::max(0, limit));
  mIgnore = ignore;
}

void TTextEdit::Draw()
{
  CheckRegistration();
  DrawField();
  DrawText(kFieldInset);
}

void TTextEdit::DrawField()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  TWindowRenderer* renderer = manager ? manager->GetRenderer() : nullptr;
  const int width = GetWindowWidth();
  const int height = GetWindowHeight();
  if (!renderer || width < 3 || height < 3) {
    return;
  }
  // Fills are not blended: a dark field under light text, a light one under dark text.
  const TColor ink = mTextGraphic ? mTextGraphic->GetColor() : TColor(1, 1, 1, 1);
  const bool lightInk = ink.r * 0.3f + ink.g * 0.59f + ink.b * 0.11f > 0.5f;
  const TColor fill = lightInk ? TColor(0.08f, 0.08f, 0.1f, 1) : TColor(0.96f, 0.96f, 0.94f, 1);
  // The frame shows the focus: the text's colour, dimmed while the entry has no focus.
  const float strength = manager->GetFocus() == this ? 1.0f : 0.45f;
  const TColor frame(fill.r + (ink.r - fill.r) * strength, fill.g + (ink.g - fill.g) * strength,
                     fill.b + (ink.b - fill.b) * strength, 1);
  renderer->FillRect(TURect(0, 0, unsigned(width), unsigned(height)), frame);
  renderer->FillRect(TURect(1, 1, unsigned(width - 1), unsigned(height - 1)), fill);
}

bool TTextEdit::CanAcceptFocus()
{
  return mCaretEnabled && IsShownInLayer(this);
}

bool TTextEdit::OnTaskAnimate()
{
  UpdateText();
  return true;
}

void TTextEdit::SetText(str text)
{
  mText = text;
  mCaret = text.length();
  UpdateText();
}

str TTextEdit::GetText()
{
  return mText;
}

void TTextEdit::UpdateText()
{
  const unsigned length = mText.length();
  const unsigned caret = std::min(mCaret, length);
  str before;
  str after;
  if (mPassword) {
    for (unsigned i = 0; i < caret; ++i)
      before += '*';
    for (unsigned i = caret; i < length; ++i)
      after += '*';
  } else {
    before = TTextGraphic::Escape(mText.substr(0, int(caret)));
    after = TTextGraphic::Escape(mText.substr(caret));
  }
  TWindowManager* manager = TWindowManager::GetInstance();
  if (!manager || manager->GetFocus() != this) {
    TText::SetText(before + after);
    return;
  }
  if (mClock.GetTime() % 800 <= 400) {
    if (mCaretPhase) {
      mCaretPhase = false;
      manager->InvalidateScreen();
    }
    TText::SetText(before + after);
    return;
  }
  if (!mCaretPhase) {
    mCaretPhase = true;
    manager->InvalidateScreen();
  }
  TText::SetText(before + (mCaretEnabled ? str("<cursor>") : str()) + after);
}

bool TTextEdit::KeyHit(eKeyType type, char c)
{
  switch (type) {
  case kKeyEdit:
  case kKeyPaste:
    return true;
  case kKeyInsert:
    if (mUTF8 || mText.length() + 1 < mLimit) {
      return true;
    }
    OnRefused(kRefusedFull);
    KeyHit(kKeyRefused, c);
    return false;
  default:
    return false;
  }
}

bool TTextEdit::KeyHitUTF8(eKeyType type, unsigned code)
{
  const char c = code < 128 ? char(code) : ' ';
  if (type != kKeyInsert) {
    return KeyHit(type, c);
  }
  if (mUTF8 && CharacterCount(mText) >= mLimit) {
    OnRefused(kRefusedFull);
  } else if (CanShow(code)) {
    return KeyHit(kKeyInsert, c);
  } else {
    OnRefused(kRefusedUnshown);
  }
  if (code >= 128) {
    KeyHitUTF8(kKeyRefused, code);
  } else {
    KeyHit(kKeyRefused, c);
  }
  return false;
}

bool TTextEdit::CanShow(unsigned code)
{
  TFontData* fonts = TFontData::GetInstance();
  TMvecFont* font = mTextGraphic ? fonts->GetMvec(mTextGraphic->GetFont()) : nullptr;
  TMvecFont* fallback = fonts->GetMvec("fonts/default.mvec");
  return !font || font->GetGlyphIndex(code) >= 0 || (fallback && fallback->GetGlyphIndex(code) >= 0);
}

bool TTextEdit::Changed()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->PostWindowMessage(new TMessage(TMessage::kTextEditChanged, GetName()));
  }
  return true;
}

unsigned TTextEdit::CharacterStartBefore(unsigned position) const
{
  unsigned at = 0;
  unsigned last = 0;
  while (at < position) {
    last = at;
    at += std::max(1u, UTF8Length((unsigned char)mText[at]));
  }
  return last;
}

unsigned TTextEdit::CharacterLengthAt(unsigned position) const
{
  return position < mText.length() ? CharacterLength(mText, position) : 0;
}

void TTextEdit::Backspace()
{
  const unsigned caret = std::min(mCaret, mText.length());
  const unsigned start = CharacterStartBefore(caret);
  mText.erase(start, int(caret - start));
  mCaret = start;
  UpdateText();
}

bool TTextEdit::MoveFocusAlongRing(bool backward)
{
  TWindowManager* manager = TWindowManager::GetInstance();
  if (!mRing || mRing->empty() || !manager) {
    return false;
  }
  std::vector<TTextEdit*> ring(mRing->begin(), mRing->end());
  if (backward) {
    std::reverse(ring.begin(), ring.end());
  }
  size_t index = size_t(std::find(ring.begin(), ring.end(), this) - ring.begin());
  if (index >= ring.size()) {
    index = 0;
  }
  for (size_t step = 1; step <= ring.size(); ++step) {
    TTextEdit* next = ring[(index + step) % ring.size()];
    if (next->TakesFocusFromInput()) {
      manager->SetFocus(next);
      break;
    }
  }
  return true;
}

bool TTextEdit::OnChar(char c)
{
  if (mRefusedOne && c == mRefusedChar) {
    // The same key stroke, handed on after OnUTF8Char refused it: refuse it once, quietly.
    mRefusedOne = false;
    return false;
  }
  return OnUTF8Char(str(&c, 1));
}

bool TTextEdit::OnUTF8Char(str ch)
{
  mRefusedOne = false;
  if (!mCaretEnabled || ch.length() == 0) {
    return false;
  }
  const unsigned char lead = (unsigned char)ch[0];
  const unsigned code = str::to_utf32(ch.c_str());
  bool handled = false;
  if (lead == '\t') {
    if (KeyHitUTF8(kKeyTab, code)) {
      return Changed();
    }
    MoveFocusAlongRing(false);
  } else if (lead == 13) {
    if (KeyHitUTF8(kKeyEnter, code)) {
      return Changed();
    }
  } else if (lead == 8) {
    if (mCaret == 0) {
      KeyHitUTF8(kKeyRefused, code);
    } else if (KeyHit(kKeyEdit, char(lead))) {
      Backspace();
      return Changed();
    }
  } else if (lead < 32 || lead == 127) {
    // The key translation gives keys without text (Home, End, the page and arrow keys,
    // Escape, Delete) these codes; they are keys, not typed characters.
    const bool key = lead == 0 || lead == 1 || lead == 4 || lead == 11 || lead == 12 || lead >= 27;
    if (!key) {
      OnRefused(kRefusedControl);
    }
  } else if (lead >= 128 && !mPassword && !mUTF8) {
    OnRefused(kRefusedUnshown);
  } else if (!mIgnore.empty() && mIgnore.find(ch) != str::npos) {
    return true;
  } else if (KeyHitUTF8(kKeyInsert, code)) {
    const unsigned caret = std::min(mCaret, mText.length());
    mText = mText.substr(0, caret) + ch + mText.substr(caret);
    // The bytes inserted, not what a malformed lead byte announces.
    mCaret = caret + ch.length();
    UpdateText();
    return Changed();
  }
  if (!handled && ch.length() == 1) {
    mRefusedOne = true;
    mRefusedChar = char(lead);
  }
  return handled;
}

bool TTextEdit::Paste()
{
  if (!KeyHitUTF8(kKeyPaste, 0)) {
    return false;
  }
  IClipboard* clipboard = TServices::Get().clipboard;
  str clip = clipboard ? clipboard->GetClipboardText() : str();
  // A copied line often brings its line end and blanks along: they are dropped, not refused.
  unsigned first = 0, last = clip.length();
  while (first < last && (unsigned char)clip[first] <= ' ')
    ++first;
  while (last > first && (unsigned char)clip[last - 1] <= ' ')
    --last;
  clip = clip.substr(first, int(last - first));
  if (clip.empty()) {
    return false;
  }
  // Text that cannot be shown is refused whole: half a name pasted in silence is worse.
  if (!mUTF8 && !SafeString(clip)) {
    OnRefused(kRefusedUnshown);
    return false;
  }
  unsigned end = 0;
  unsigned count = 0;
  for (unsigned at = 0; at < clip.length(); at += CharacterLength(clip, at)) {
    // 0 stands for bytes that are no character.
    const unsigned code = str::to_utf32(clip.c_str() + at);
    if (code != 0 && (code < 32 || code == 127)) {
      OnRefused(kRefusedControl);
      return false;
    }
    if (code == 0 || !CanShow(code)) {
      OnRefused(kRefusedUnshown);
      return false;
    }
    if (count < mLimit) {
      end = at + CharacterLength(clip, at);
      ++count;
    }
  }
  // The leading characters up to the limit, and the player told that the rest did not fit.
  if (end < clip.length()) {
    OnRefused(kRefusedFull);
  }
  str cleaned = clip.substr(0, end);
  for (unsigned at = 0; at < mIgnore.length();) {
    const unsigned length = CharacterLength(mIgnore, at);
    cleaned.replace(mIgnore.substr(at, int(length)), "");
    at += length;
  }
  SetText("");
  if (!cleaned.empty()) {
    SetText(cleaned);
  }
  // A paste is a change like any other.
  Changed();
  return true;
}

bool TTextEdit::OnKeyDown(char key, unsigned modifiers)
{
  CheckRegistration();
  const unsigned char code = (unsigned char)key;
  const unsigned length = mText.length();
  if (code == TEvent::kLeft) {
    if (mCaret == 0) {
      KeyHit(kKeyRefused, key);
      return true;
    }
    if (KeyHit(kKeyEdit, key)) {
      mCaret = CharacterStartBefore(std::min(mCaret, length));
      UpdateText();
      return true;
    }
  } else if (code == TEvent::kRight) {
    if (mCaret >= length) {
      KeyHit(kKeyRefused, key);
      return true;
    }
    if (KeyHit(kKeyEdit, key)) {
      mCaret += CharacterLengthAt(mCaret);
      UpdateText();
      return true;
    }
  } else if (code == TEvent::kDelete) {
    if (mCaret < length) {
      mText.erase(mCaret, int(CharacterLengthAt(mCaret)));
      UpdateText();
      // Those who follow the text (a button offered only for a name) hear of it as of typing.
      Changed();
    } else {
      KeyHit(kKeyRefused, key);
    }
    return true;
  } else if (code == TEvent::kTab && (modifiers & TEvent::kShift) && !(modifiers & (2 | 4))) {
    // Shift+Tab goes back along the ring; its character must not go forward again.
    if (!KeyHitUTF8(kKeyTab, code)) {
      MoveFocusAlongRing(true);
      gIgnoreNextChar = true;
    }
    return true;
  } else if (code > 'Z') {
    return false;
  } else if ((code == 'V' && (modifiers & 2)) || code == TEvent::kPaste) {
    if (Paste()) {
      return true;
    }
  }
  return (modifiers & (2 | 4 | 8)) == 0;
}
