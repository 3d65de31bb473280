// Tests of the text entry: typing with the length limit, UTF-8 and password modes, caret
// moves and deletion (also over broken UTF-8), ignored characters, paste, Tab between
// entries, the blinking caret and the messages it posts.
#include <gtest/gtest.h>

#include "platform/display/clipboard.h"
#include "support/widgetfixture.h"

namespace {

// Counts the refusals a subclass hears about (every refusal ends in KeyHit).
class TCountingEdit : public TTextEdit
{
public:
  static TWindow* Create() { return new TCountingEdit; }
  static intptr_t ClassId()
  {
    static const intptr_t id = RegisterCreatable(&TCountingEdit::Create);
    return id;
  }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TTextEdit::IsKindOf(id); }
  bool KeyHit(eKeyType type, char c) override
  {
    if (type == kKeyRefused)
      ++refusals;
    return TTextEdit::KeyHit(type, c);
  }
  void OnRefused(ERefusal reason) override { reasons.push_back(reason); }
  int refusals = 0;
  std::vector<ERefusal> reasons;
};

class TextEditTest : public WidgetTest
{
protected:
  void SetUp() override
  {
    WidgetTest::SetUp();
    manager.AddWindowType("CountingEdit", TCountingEdit::ClassId());
  }

  TCountingEdit* Make(const char* keys = "")
  {
    Run((std::string("MakeDialog{ CountingEdit{ name = 'e', w = 300, h = 30") + keys + " } }").c_str());
    TCountingEdit* edit = Find<TCountingEdit>("e");
    manager.SetFocus(edit);
    return edit;
  }

  void TypeUTF8(unsigned code) { Key(TEvent::kUTF8Char, int(code)); }

  // What the text window shows (the caret hidden: the blink clock is in its first half).
  std::string Shown(TTextEdit* edit) { return edit->GetTextGraphic()->GetText().c_str(); }
};

} // namespace

TEST_F(TextEditTest, TheLimitCountsBytesOrCharacters)
{
  TCountingEdit* edit = Make();
  Type("abcdefghijkl");
  EXPECT_EQ(edit->GetText(), "abcdefghi");
  EXPECT_EQ(edit->refusals, 3);
  EXPECT_EQ(Messages().size(), 9u);

  TCountingEdit* wide = nullptr;
  Run("MakeDialog{ CountingEdit{ name = 'w', w = 300, h = 30, utf8 = true } }");
  wide = Find<TCountingEdit>("w");
  manager.SetFocus(wide);
  for (int i = 0; i < 12; ++i)
    TypeUTF8(i % 2 ? 0xE9 : 'a');
  EXPECT_EQ(wide->GetText(), "a\xC3\xA9"
                             "a\xC3\xA9"
                             "a\xC3\xA9"
                             "a\xC3\xA9"
                             "a\xC3\xA9");
  // Each refused character is refused once, not again through the one-byte fallback.
  EXPECT_EQ(wide->refusals, 2);
  EXPECT_EQ(wide->reasons, std::vector<TTextEdit::ERefusal>(2, TTextEdit::kRefusedFull));
  EXPECT_EQ(edit->reasons, std::vector<TTextEdit::ERefusal>(3, TTextEdit::kRefusedFull));
}

TEST_F(TextEditTest, PasswordsShowOneStarPerByte)
{
  TCountingEdit* edit = Make(", password = true, utf8 = true");
  TypeUTF8('a');
  TypeUTF8(0xE9);
  EXPECT_EQ(edit->GetText(), "a\xC3\xA9");
  manager.SetFocus(nullptr);
  edit->UpdateText();
  EXPECT_EQ(Shown(edit), "***");
}

TEST_F(TextEditTest, CaretMovesAndDeletesByCharacters)
{
  TCountingEdit* edit = Make(", utf8 = true, length = 20");
  edit->SetText("a\xC3\xA9"
                "b");
  EXPECT_EQ(edit->GetCaret(), 4u);
  Key(TEvent::kKeyDown, TEvent::kLeft);
  EXPECT_EQ(edit->GetCaret(), 3u);
  Key(TEvent::kKeyDown, TEvent::kLeft);
  EXPECT_EQ(edit->GetCaret(), 1u);
  Key(TEvent::kKeyDown, TEvent::kDelete);
  EXPECT_EQ(edit->GetText(), "ab");
  Key(TEvent::kKeyDown, TEvent::kRight);
  EXPECT_EQ(edit->GetCaret(), 2u);
  Key(TEvent::kKeyDown, TEvent::kRight);
  EXPECT_EQ(edit->refusals, 1);
  Type("\b");
  EXPECT_EQ(edit->GetText(), "a");
  Key(TEvent::kKeyDown, TEvent::kLeft);
  EXPECT_EQ(edit->GetCaret(), 0u);
  // At the start Left and Backspace are refused and change nothing.
  Key(TEvent::kKeyDown, TEvent::kLeft);
  Type("\b");
  EXPECT_EQ(edit->GetCaret(), 0u);
  EXPECT_EQ(edit->GetText(), "a");
  EXPECT_EQ(edit->refusals, 3);
}

TEST_F(TextEditTest, EveryKeyThatChangesTheTextPostsTheChange)
{
  TCountingEdit* edit = Make();
  Type("ab");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"7 e", "7 e"}));
  Key(TEvent::kKeyDown, TEvent::kLeft);
  Key(TEvent::kKeyDown, TEvent::kDelete);
  Type("\b");
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"7 e", "7 e"}));
  // Keys that change nothing tell nothing.
  Key(TEvent::kKeyDown, TEvent::kDelete);
  Type("\b");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(TextEditTest, BrokenUTF8KeepsTheCaretInsideTheText)
{
  TCountingEdit* edit = Make(", password = true");
  edit->SetText("ab\xF0");
  Key(TEvent::kKeyDown, TEvent::kLeft);
  EXPECT_EQ(edit->GetCaret(), 2u);
  Key(TEvent::kKeyDown, TEvent::kRight);
  EXPECT_EQ(edit->GetCaret(), 3u);
  Key(TEvent::kKeyDown, TEvent::kLeft);
  Key(TEvent::kKeyDown, TEvent::kDelete);
  EXPECT_EQ(edit->GetText(), "ab");
  edit->SetText("\xE2");
  Type("\b");
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(edit->GetCaret(), 0u);
}

TEST_F(TextEditTest, IgnoredAndControlCharactersAreNotInserted)
{
  TCountingEdit* edit = Make(", ignore = 'x-'");
  // Home and Delete come as characters too; they are keys, not refusals.
  Type("axb-c\x01\x7f");
  EXPECT_EQ(edit->GetText(), "abc");
  EXPECT_TRUE(edit->reasons.empty());
  Type("\x05");
  EXPECT_EQ(edit->reasons, std::vector<TTextEdit::ERefusal>{TTextEdit::kRefusedControl});
  // Enter is refused so that it reaches the dialog's default button.
  EXPECT_FALSE(edit->OnChar(13));
  // Bytes from 128 are refused outside UTF-8 and password modes.
  EXPECT_FALSE(edit->OnChar(char(0xC3)));
  EXPECT_EQ(edit->GetText(), "abc");
  EXPECT_EQ(edit->reasons.back(), TTextEdit::kRefusedUnshown);
}

TEST_F(TextEditTest, TypedMarkupIsShownAsText)
{
  TCountingEdit* edit = Make(", length = 20");
  Type("<b>x\\");
  EXPECT_EQ(edit->GetText(), "<b>x\\");
  manager.SetFocus(nullptr);
  edit->UpdateText();
  const TTextGraphic* graphic = edit->GetTextGraphic();
  ASSERT_EQ(graphic->GetLineCount(), 1);
  for (const TTextRun& run : graphic->GetLine(0)->mRuns)
    EXPECT_FALSE(run.mBold);
}

TEST_F(TextEditTest, CharactersNoFontCanDrawAreRefused)
{
  TCountingEdit* edit = Make(", utf8 = true");
  TypeUTF8(0xE000);
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(edit->refusals, 1);
  EXPECT_EQ(edit->reasons, std::vector<TTextEdit::ERefusal>{TTextEdit::kRefusedUnshown});
  TypeUTF8(0x20AC);
  EXPECT_EQ(edit->GetText(), "\xE2\x82\xAC");
}

TEST_F(TextEditTest, PasteKeepsTheLeadingCharactersAndPostsTheChange)
{
  TCountingEdit* edit = Make();
  // The line end and blanks around a copied line go; what is left up to the limit is taken.
  ASSERT_TRUE(QvSetClipboardText(" abcdefghijkl\r\n"));
  Messages();
  Key(TEvent::kKeyDown, 'V', 2);
  EXPECT_EQ(edit->GetText(), "abcdefghij");
  EXPECT_EQ(edit->GetCaret(), 10u);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"7 e"}));
  EXPECT_EQ(edit->reasons, std::vector<TTextEdit::ERefusal>{TTextEdit::kRefusedFull});
}

TEST_F(TextEditTest, APasteThatCannotBeShownIsRefusedWholeAndSaidSo)
{
  TCountingEdit* edit = Make();
  Type("ab");
  Messages();
  ASSERT_TRUE(QvSetClipboardText("cd\tef"));
  Key(TEvent::kKeyDown, 'V', 2);
  // Not in UTF-8 mode, text with lead bytes is not pasted.
  ASSERT_TRUE(QvSetClipboardText("\xC3\xA9t\xC3\xA9"));
  Key(TEvent::kKeyDown, TEvent::kPaste);
  EXPECT_EQ(edit->GetText(), "ab");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(edit->reasons, (std::vector<TTextEdit::ERefusal>{TTextEdit::kRefusedControl, TTextEdit::kRefusedUnshown}));

  Run("MakeDialog{ CountingEdit{ name = 'w', w = 300, h = 30, utf8 = true } }");
  TCountingEdit* wide = Find<TCountingEdit>("w");
  manager.SetFocus(wide);
  ASSERT_TRUE(QvSetClipboardText("Sato \xE6\x97\xA5"));
  Key(TEvent::kKeyDown, 'V', 2);
  EXPECT_EQ(wide->GetText(), "");
  EXPECT_EQ(wide->reasons, std::vector<TTextEdit::ERefusal>{TTextEdit::kRefusedUnshown});
}

TEST_F(TextEditTest, OtherKeysAreConsumedUnlessAModifierIsHeld)
{
  TCountingEdit* edit = Make();
  EXPECT_TRUE(edit->OnKeyDown('Q', 0));
  EXPECT_TRUE(edit->OnKeyDown('Q', 1));
  EXPECT_FALSE(edit->OnKeyDown('Q', 2));
  EXPECT_FALSE(edit->OnKeyDown('q', 0));
}

TEST_F(TextEditTest, TabMovesToTheNextShownEntry)
{
  Run("MakeDialog{ TextEdit{ name = 'top', w = 100, h = 20 }, TextEdit{ name = 'middle', w = 100, h = 20 }, "
      "TextEdit{ name = 'bottom', w = 100, h = 20 } }");
  TTextEdit* top = Find<TTextEdit>("top");
  TTextEdit* middle = Find<TTextEdit>("middle");
  TTextEdit* bottom = Find<TTextEdit>("bottom");
  ASSERT_EQ(top->GetRing(), bottom->GetRing());
  EXPECT_EQ(std::vector<TTextEdit*>(top->GetRing()->begin(), top->GetRing()->end()),
            (std::vector<TTextEdit*>{top, middle, bottom}));
  middle->SetFlags(middle->GetFlags() & ~unsigned(TWindow::kVisible));
  manager.SetFocus(top);
  Type("\t");
  EXPECT_EQ(manager.GetFocus(), bottom);
  Type("\t");
  EXPECT_EQ(manager.GetFocus(), top);
  EXPECT_EQ(top->GetText(), "");
}

TEST_F(TextEditTest, ShiftTabGoesBackAndEntriesThatRefuseTheFocusArePassedOver)
{
  Run("MakeDialog{ TextEdit{ name = 'top', w = 100, h = 20 }, TextEdit{ name = 'middle', w = 100, h = 20 }, "
      "TextEdit{ name = 'bottom', w = 100, h = 20 } }");
  TTextEdit* top = Find<TTextEdit>("top");
  TTextEdit* middle = Find<TTextEdit>("middle");
  TTextEdit* bottom = Find<TTextEdit>("bottom");
  manager.SetFocus(top);
  // The platform sends the key, then its character.
  auto shiftTab = [this] {
    Key(TEvent::kKeyDown, TEvent::kTab, TEvent::kShift);
    Key(TEvent::kChar, TEvent::kTab, TEvent::kShift);
  };
  shiftTab();
  EXPECT_EQ(manager.GetFocus(), bottom);
  shiftTab();
  EXPECT_EQ(manager.GetFocus(), middle);
  // An entry that takes no typing takes no focus either.
  middle->EnableCaret(false);
  EXPECT_FALSE(middle->CanAcceptFocus());
  shiftTab();
  EXPECT_EQ(manager.GetFocus(), top);
  Type("\t");
  EXPECT_EQ(manager.GetFocus(), bottom);
  EXPECT_EQ(top->GetText() + middle->GetText() + bottom->GetText(), "");
}

TEST_F(TextEditTest, TabFromTheDialogItselfGoesToItsFirstOrLastEntry)
{
  Run("MakeDialog{ TextEdit{ name = 'first', w = 100, h = 20 }, Text{ name = 'note', y = 40, w = 100, h = 20, "
      "label = 'note' }, TextEdit{ name = 'last', y = 80, w = 100, h = 20 } }");
  TTextEdit* first = Find<TTextEdit>("first");
  TTextEdit* last = Find<TTextEdit>("last");
  TModalWindow* layer = first->FindParentModal();
  manager.SetFocus(layer);
  ASSERT_EQ(manager.GetFocus(), layer);
  Key(TEvent::kKeyDown, TEvent::kTab);
  Key(TEvent::kChar, TEvent::kTab);
  EXPECT_EQ(manager.GetFocus(), first);
  EXPECT_EQ(first->GetText(), "");

  manager.SetFocus(nullptr);
  Key(TEvent::kKeyDown, TEvent::kTab, TEvent::kShift);
  Key(TEvent::kChar, TEvent::kTab, TEvent::kShift);
  EXPECT_EQ(manager.GetFocus(), last);

  // A click on the text beside the entries leaves the focus in the entry, so typing goes on.
  Type("ab");
  TEvent click(TEvent::kMouseDown, 0, Centre(Find<TText>("note")).x, Centre(Find<TText>("note")).y, 0);
  manager.HandleEvent(&click);
  Type("c");
  EXPECT_EQ(manager.GetFocus(), last);
  EXPECT_EQ(last->GetText(), "abc");
}

TEST_F(TextEditTest, ASingleEntryKeepsTheFocusOnTab)
{
  TCountingEdit* edit = Make();
  Type("\t");
  EXPECT_EQ(manager.GetFocus(), edit);
}

TEST_F(TextEditTest, TheCaretBlinksOnlyInTheFocusedEntry)
{
  Run("MakeDialog{ TextEdit{ name = 'a', w = 100, h = 20, label = 'one' }, "
      "TextEdit{ name = 'b', w = 100, h = 20, label = 'two' } }");
  TTextEdit* a = Find<TTextEdit>("a");
  TTextEdit* b = Find<TTextEdit>("b");
  EXPECT_EQ(a->GetText(), "one");
  manager.SetFocus(a);
  timer.Set(1000 + 100);
  a->UpdateText();
  EXPECT_EQ(Shown(a), "one");
  timer.Set(1000 + 500);
  a->UpdateText();
  b->UpdateText();
  EXPECT_EQ(Shown(a), "one<cursor>");
  EXPECT_EQ(Shown(b), "two");
  timer.Set(1000 + 900);
  a->UpdateText();
  EXPECT_EQ(Shown(a), "one");
}
