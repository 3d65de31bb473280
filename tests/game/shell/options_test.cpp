// Tests of the options window: the stored levels applied silently on opening, the defaults,
// the hover sound while the effects slider is dragged, the music level during a fade, the
// boxes' states and the levels saved for the player.
#include <gtest/gtest.h>

#include "core/foundation/prefsdb.h"
#include "core/sound/oggdatasource.h"
#include "core/window/event.h"
#include "app/gameloop.h"
#include "media/musicmanager.h"
#include "shell/options.h"
#include "support/shellwindowfixture.h"
#include "support/soundtestutil.h"

namespace {

class OptionsTest : public ShellWindowTest
{
protected:
  void SetUp() override
  {
    ShellWindowTest::SetUp();
    if (IsSkipped())
      return;
    TOggDataSource::Register();
    sandbox.WriteFile("assets/audio/sfx/hover.ogg", ReadBytes(SoundFixture("tone030.ogg")));
    TFile::ScanForResources();
    sound.Init();
  }
  void TearDown() override
  {
    GMusicManager::Instance()->ReleaseSounds();
    ShellWindowTest::TearDown();
  }

  void Open()
  {
    std::string slider = "sliderimage = '" + Image("thumb.png") + "', railtop = '" + Image("railcap.png") +
                         "', railmid = '" + Image("railmid.png") + "', railbot = '" + Image("railcap.png") +
                         "', hslider = true";
    Run(("MakeDialog{ OptionsWindow{ name = 'options', x = 50, y = 50, w = 600, h = 400, "
         "Slider{ name = 'sfxlevelslider', x = 100, y = 50, w = 300, h = 30, " +
         slider +
         " }, "
         "Slider{ name = 'musiclevelslider', x = 100, y = 120, w = 300, h = 30, " +
         slider +
         " }, "
         "Button{ name = 'fullscreen', type = kToggle, x = 100, y = 200, w = 30, h = 30 }, "
         "Button{ name = 'mutebox', type = kToggle, x = 100, y = 250, w = 30, h = 30 } } }")
            .c_str());
    options = Find<TOptions>("options");
    effects = Find<TSlider>("sfxlevelslider");
    music = Find<TSlider>("musiclevelslider");
  }
  size_t HoverInstances()
  {
    boost::shared_ptr<TSound> hover = TSound::Get(TOptions::kHoverSound, false, kSoundTypeEffects);
    return hover->GetData()->mInstances.size();
  }

  TSoundManager sound;
  TOptions* options = nullptr;
  TSlider* effects = nullptr;
  TSlider* music = nullptr;
};

} // namespace

TEST_F(OptionsTest, OpeningAppliesTheStoredLevelsWithoutAHoverSound)
{
  settings->CreateNewUser("Ann");
  settings->mPrefs->SetInt(TSettings::kSoundLevel, 300, 0, true);
  settings->mPrefs->SetInt(TSettings::kMusicLevel, 600, 0, true);
  settings->mPrefs->SetInt(TSettings::kSoundOff, 1, 0, true);
  levels.Take();
  Open();
  ASSERT_NE(nullptr, options);
  EXPECT_FLOAT_EQ(0.3f, effects->GetValue());
  EXPECT_FLOAT_EQ(0.6f, music->GetValue());
  EXPECT_FLOAT_EQ(0.3f, levels.Type(kSoundTypeEffects));
  EXPECT_FLOAT_EQ(0.3f, levels.Type(kSoundTypeButtons));
  EXPECT_FLOAT_EQ(0.6f, levels.Type(kSoundTypeMusic));
  EXPECT_FLOAT_EQ(0.6f, levels.Type(kSoundTypeMusicChannel0));
  EXPECT_FLOAT_EQ(0.6f, levels.Type(kSoundTypeMusicChannel1));
  EXPECT_FALSE(options->IsHoverPlaying());
  EXPECT_EQ(0u, HoverInstances());
  EXPECT_TRUE(Find<TButton>("mutebox")->IsOn());
  EXPECT_FALSE(Find<TButton>("fullscreen")->IsOn());
}

TEST_F(OptionsTest, APlayerWithoutStoredLevelsSeesThreeQuarters)
{
  Open();
  EXPECT_FLOAT_EQ(0.75f, effects->GetValue());
  EXPECT_FLOAT_EQ(0.75f, music->GetValue());
  EXPECT_FALSE(Find<TButton>("mutebox")->IsOn());
}

TEST_F(OptionsTest, TheFullScreenBoxFollowsASwitchMadeWhileTheWindowIsOpen)
{
  Open();
  TButton* box = Find<TButton>("fullscreen");
  // As after a switch from the box itself, then Alt+Return back to a window (a platform
  // without a display is never in full screen).
  box->SetOn(true);
  TGameLoop loop(nullptr);
  TEvent toggled(TEvent::kFullscreenToggled, 0, 0, 0, 0);
  EXPECT_TRUE(loop.Dispatch(&toggled));
  EXPECT_FALSE(box->IsOn());
}

TEST_F(OptionsTest, DraggingTheEffectsSliderLoopsTheHoverSoundUntilTheButtonIsReleased)
{
  Open();
  TPoint thumb = Centre(effects->GetThumb());
  Move(thumb);
  Down(thumb);
  Move(TPoint(thumb.x + 20, thumb.y));
  EXPECT_TRUE(options->IsHoverPlaying());
  Move(TPoint(thumb.x + 40, thumb.y));
  EXPECT_EQ(1u, HoverInstances());
  EXPECT_GT(effects->GetValue(), 0.75f);
  EXPECT_FLOAT_EQ(effects->GetValue(), levels.Type(kSoundTypeEffects));
  Up(TPoint(thumb.x + 40, thumb.y));
  EXPECT_FALSE(options->IsHoverPlaying());
  PumpUntil(
      sound, [&] { return HoverInstances() == 0; }, 1.0);
  EXPECT_EQ(0u, HoverInstances());
}

TEST_F(OptionsTest, TheMusicSliderChangesTheMusicAtOnceAndAFadeTakesItUp)
{
  Open();
  GMusicManager* manager = GMusicManager::Instance();
  manager->PlayMusic("audio/music/a.ogg", false, true, "");
  manager->PlayMusic("audio/music/b.ogg", true, true, "");
  manager->OnTimer();
  levels.Take();
  music->SetValue(0.4f, false);
  EXPECT_EQ(std::vector<std::string>{"1001=0.4"}, levels.Take());
  EXPECT_FLOAT_EQ(0.4f, manager->GetMaxVolume());
  for (int step = 0; step < 30 && manager->IsCrossFading(); ++step)
    manager->OnTimer();
  EXPECT_FALSE(manager->IsCrossFading());
  EXPECT_FLOAT_EQ(0.4f, levels.Type(kSoundTypeMusicChannel1));
}

TEST_F(OptionsTest, SaveVolumesStoresThousandthsCutTowardsZeroForTheCurrentPlayer)
{
  settings->CreateNewUser("Ann");
  settings->CreateNewUser("Bo");
  Open();
  effects->SetValue(0.5f, true);
  music->SetValue(0.9999f, true);
  Run("SaveVolumes()");
  EXPECT_EQ(500, settings->mPrefs->GetInt(TSettings::kSoundLevel, -5, 1));
  EXPECT_EQ(999, settings->mPrefs->GetInt(TSettings::kMusicLevel, -5, 1));
  EXPECT_EQ(750, settings->mPrefs->GetInt(TSettings::kSoundLevel, -5, 0));

  Run("DestroyWindow('options')");
  manager.ClearDestroyedWindows();
  Run("gGone = SaveVolumes == nil");
  EXPECT_TRUE(Truth("gGone"));
}
