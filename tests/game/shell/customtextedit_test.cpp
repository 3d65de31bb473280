// Tests of the game's text entry: the placeholder cleared by the first key or click, the
// enable window following blank text, typing sounds in one fixed order and none for refused
// characters.
#include <gtest/gtest.h>

#include "core/foundation/random.h"
#include "core/sound/oggdatasource.h"
#include "shell/buttontools.h"
#include "shell/customtextedit.h"
#include "support/shellwindowfixture.h"
#include "support/soundtestutil.h"

namespace {

class CustomTextEditTest : public ShellWindowTest
{
protected:
  void SetUp() override
  {
    ShellWindowTest::SetUp();
    if (IsSkipped())
      return;
    TOggDataSource::Register();
    for (int i = 1; i <= 4; ++i) {
      sandbox.WriteFile("assets/audio/sfx/sfx_typing_0" + std::to_string(i) + ".ogg",
                        ReadBytes(SoundFixture("tone030.ogg")));
    }
    TFile::ScanForResources();
    sound.Init();
  }

  TCustomTextEdit* Field(const char* name)
  {
    TCustomTextEdit* field = Find<TCustomTextEdit>(name);
    Move(Centre(field));
    Down(Centre(field));
    Up(Centre(field));
    return field;
  }
  // Playing copies of each typing sound.
  std::vector<size_t> Playing()
  {
    std::vector<size_t> counts;
    for (int i = 1; i <= 4; ++i) {
      // The entry keeps its typing sounds in memory.
      boost::shared_ptr<TSound> typing =
          TSound::Get(str::getFormatted("audio/sfx/sfx_typing_%02d.ogg?group=1000", i), true, 0);
      counts.push_back(typing->GetData()->mInstances.size());
    }
    return counts;
  }
  void WaitForSilence()
  {
    PumpUntil(
        sound, [&] { return Playing() == std::vector<size_t>(4, 0); }, 2.0);
  }

  TSoundManager sound;
};

} // namespace

TEST_F(CustomTextEditTest, ScriptsGetTheGamesEntryAndTheFirstKeyReplacesThePlaceholder)
{
  Run("MakeDialog{ TextEdit{ name = 'name', x = 10, y = 10, w = 200, h = 30, label = 'Your name', "
      "  clearinitial = true, length = 20 } }");
  TCustomTextEdit* field = Find<TCustomTextEdit>("name");
  ASSERT_NE(nullptr, field);
  EXPECT_FALSE(field->IsInitialCleared());
  EXPECT_EQ(str("Your name"), field->GetText());
  Run("RealSetFocus('name')");
  Type("J");
  EXPECT_EQ(str("J"), field->GetText());
  Type("o");
  EXPECT_EQ(str("Jo"), field->GetText());
}

TEST_F(CustomTextEditTest, AClickIntoThePlaceholderEmptiesItWithoutTyping)
{
  Run("MakeDialog{ TextEdit{ name = 'name', x = 10, y = 10, w = 200, h = 30, label = 'Your name', "
      "  clearinitial = true } }");
  TCustomTextEdit* field = Field("name");
  EXPECT_TRUE(field->IsInitialCleared());
  EXPECT_EQ(str(), field->GetText());
  Type("A");
  EXPECT_EQ(str("A"), field->GetText());
}

TEST_F(CustomTextEditTest, TheOkButtonIsDisabledExactlyWhileTheTextIsBlank)
{
  Run(("MakeDialog{ TextEdit{ name = 'name', x = 10, y = 10, w = 200, h = 30, label = '', "
       "  enablewindow = 'ok' }, "
       "Button{ name = 'ok', x = 10, y = 100, graphics = { '" +
       Image("state0.png") +
       "' } }, "
       "TextEdit{ name = 'other', x = 10, y = 200, w = 200, h = 30, label = '', enablewindow = 'hint' }, "
       "Text{ name = 'hint', x = 300, y = 200, w = 200, h = 30, label = 'Type a name' } }")
          .c_str());
  TButton* ok = Find<TButton>("ok");
  Field("name");
  Type("  ");
  EXPECT_TRUE(ButtonTools::isDisabledButton(ok));
  Type("x");
  EXPECT_FALSE(ButtonTools::isDisabledButton(ok));
  Type("\b");
  EXPECT_TRUE(ButtonTools::isDisabledButton(ok));

  // Another window is shown while the text is blank and hidden once it is not.
  Field("other");
  Type("a");
  EXPECT_FALSE(Find<TText>("hint")->IsVisible());
  Type("\b");
  EXPECT_TRUE(Find<TText>("hint")->IsVisible());
}

TEST_F(CustomTextEditTest, EveryFieldPlaysTheSameTypingSoundsAndARefusedCharacterNone)
{
  Run("MakeDialog{ TextEdit{ name = 'a', x = 10, y = 10, w = 200, h = 30, label = '', length = 4 }, "
      "TextEdit{ name = 'b', x = 10, y = 100, w = 200, h = 30, label = '', length = 4 } }");
  TRandom random;
  std::vector<size_t> expected(4, 0);
  for (int i = 0; i < 3; ++i)
    ++expected[size_t(int(4.0 * random.RandDouble()))];

  Field("a");
  Type("abc");
  EXPECT_EQ(str("abc"), Find<TCustomTextEdit>("a")->GetText());
  EXPECT_EQ(expected, Playing());
  WaitForSilence();
  // The field is full (three characters and the end): nothing is inserted, nothing heard.
  Type("d");
  EXPECT_EQ(str("abc"), Find<TCustomTextEdit>("a")->GetText());
  EXPECT_EQ(std::vector<size_t>(4, 0), Playing());

  Field("b");
  Type("xyz");
  EXPECT_EQ(expected, Playing());
}
