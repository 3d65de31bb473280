// textedit: the one-line text entry: typed characters, caret moves, deletion, paste, a
// length limit, password display and Tab between the entries of a dialog; talks to the text
// window it extends, the window manager (focus, messages) and the clipboard.
#pragma once

#include <list>

#include <boost/shared_ptr.hpp>

#include "core/foundation/clock.h"
#include "core/window/text.h"

class TTextEdit : public TText
{
public:
  enum eKeyType
  {
    kKeyInsert = 0,
    kKeyEdit = 1,
    kKeyEnter = 2,
    kKeyTab = 3,
    kKeyPaste = 4,
    kKeyRefused = 5
  };
  // Why typed or pasted text was not taken: the field is full, its font cannot show a
  // character, or a character is a control character.
  enum ERefusal
  {
    kRefusedFull,
    kRefusedUnshown,
    kRefusedControl
  };
  typedef std::list<TTextEdit*> TRing;

  TTextEdit();
  ~TTextEdit() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TTextEdit"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TText::IsKindOf(id); }

  bool OnNewParent() override;
  void Init(TWindowStyle& style) override;
  void Draw() override;
  bool CanAcceptFocus() override;
  bool OnTaskAnimate() override;
  bool OnChar(char c) override;
  bool OnUTF8Char(str c) override;
  bool OnKeyDown(char key, unsigned modifiers) override;
  void SetText(str text) override;
  str GetText() override;
  // Whether an edit may happen; subclasses filter keys here.
  virtual bool KeyHit(eKeyType type, char c);
  virtual bool KeyHitUTF8(eKeyType type, unsigned code);
  // Told once for each refused character, and once for a paste that was refused or cut;
  // the entry itself says nothing, its dialog may.
  virtual void OnRefused(ERefusal reason) {}

  void Backspace();
  void UpdateText();
  void CheckRegistration();
  void Unregister();

  unsigned GetCaret() const { return mCaret; }
  unsigned GetLimit() const { return mLimit; }
  void SetLimit(unsigned limit) { mLimit = limit; }
  bool IsPassword() const { return mPassword; }
  bool IsUTF8() const { return mUTF8; }
  void SetUTF8(bool utf8) { mUTF8 = utf8; }
  void EnableCaret(bool enable) { mCaretEnabled = enable; }
  const str& GetIgnore() const { return mIgnore; }
  boost::shared_ptr<TRing> GetRing() const { return mRing; }
  TClock* GetBlinkClock() { return &mClock; }

private:
  bool Changed();
  bool Paste();
  // Whether the entry's font, or else the default font, has a glyph for the character.
  bool CanShow(unsigned code);
  // Gives the focus to the next (or previous) entry of the ring that is shown and takes it.
  bool MoveFocusAlongRing(bool backward);
  // The box behind the text, so the player sees where to click and type.
  void DrawField();
  unsigned CharacterStartBefore(unsigned position) const;
  unsigned CharacterLengthAt(unsigned position) const;

  unsigned mLimit;
  boost::shared_ptr<TRing> mRing;
  str mText;
  unsigned mCaret;
  bool mCaretEnabled;
  bool mUTF8;
  bool mPassword;
  bool mCaretPhase;
  str mIgnore;
  TClock mClock;
  // The window's fallback hands a refused character to OnChar again at once.
  bool mRefusedOne;
  char mRefusedChar;
};

TWindow* TTextEditDynamicCreate();
