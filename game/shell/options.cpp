// options: the options window's sliders and boxes over the current player's stored levels,
// the sound levels and the music manager.
#include "shell/options.h"

#include <set>

#include "core/foundation/prefsdb.h"
#include "core/script/luabind.h"
#include "core/script/message.h"
#include "core/window/button.h"
#include "core/window/slider.h"
#include "media/musicmanager.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "media/soundlevels.h"
#include "core/sound/soundplayer.h"

namespace {

const char* const kLuaNames[] = {"SaveVolumes"};

int CurrentUser()
{
  return gSettings ? gSettings->GetCurrentUser() : TSettings::kGlobalUser;
}

int UserInt(const char* key, int defaultValue)
{
  return gSettings ? gSettings->GetUserInt(key, defaultValue, CurrentUser()) : defaultValue;
}

std::set<TOptions*>& OpenWindows()
{
  static std::set<TOptions*> windows;
  return windows;
}

} // namespace

TWindow* TOptionsDynamicCreate()
{
  return new TOptions;
}

intptr_t TOptions::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TOptionsDynamicCreate);
  return id;
}

TOptions::TOptions()
{
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "SaveVolumes", this, &TOptions::SaveVolumes);
  }
  OpenWindows().insert(this);
}

TOptions::~TOptions()
{
  OpenWindows().erase(this);
  StopHover();
  UnbindLuaFrom(this, kLuaNames, 1);
}

void TOptions::StopHover()
{
  if (mHoverPlaying && mHover) {
    TSoundPlayer::Kill(mHover);
  }
  mHoverPlaying = false;
  mHoverInstance.reset();
}

void TOptions::PostChildrenInit(TWindowStyle&)
{
  mHover = TSoundPlayer::Get(kHoverSound, false, kSoundTypeEffects);
  ShowOwnDisplayMode();
  if (TButton* box = GetCast<TButton>(GetChildWindow(kMuteBox, -1))) {
    box->SetOn(UserInt(TSettings::kSoundOff, 0) == 1);
  }
  if (TSlider* slider = GetCast<TSlider>(GetChildWindow(kSoundSlider, -1))) {
    slider->SetValue(float(UserInt(TSettings::kSoundLevel, TSettings::kDefaultLevel)) / 1000.0f, false);
    // Setting the start value is no drag: nothing is heard.
    StopHover();
  }
  if (TSlider* slider = GetCast<TSlider>(GetChildWindow(kMusicSlider, -1))) {
    slider->SetValue(float(UserInt(TSettings::kMusicLevel, TSettings::kDefaultLevel)) / 1000.0f, false);
  }
}

void TOptions::ShowDisplayMode()
{
  for (TOptions* options : OpenWindows()) {
    options->ShowOwnDisplayMode();
  }
}

void TOptions::ShowOwnDisplayMode()
{
  TButton* box = GetCast<TButton>(GetChildWindow(kFullScreenBox, -1));
  const bool fullScreen = gSettings && gSettings->IsFullScreen();
  if (box && box->IsOn() != fullScreen) {
    box->SetOn(fullScreen);
  }
}

bool TOptions::OnMessage(TMessage* message)
{
  if (message->GetType() == TMessage::kSliderMouseUp && mHoverPlaying) {
    StopHover();
  }
  if (message->GetType() != TMessage::kSliderValChanged) {
    return false;
  }
  const str& name = message->GetName();
  TSlider* slider = GetCast<TSlider>(GetChildWindow(name, -1));
  if (!slider) {
    return false;
  }
  const float value = slider->GetValue();
  TSoundLevels* levels = TSoundLevels::Get();
  if (name == str(kSoundSlider)) {
    levels->SetTypeVolume(kSoundTypeEffects, value);
    levels->SetTypeVolume(kSoundTypeButtons, value);
    if (mHover && !mHoverPlaying) {
      mHoverPlaying = true;
      mHoverInstance = TSoundPlayer::Play(mHover, true);
    }
    return true;
  }
  if (name == str(kMusicSlider)) {
    levels->SetTypeVolume(kSoundTypeMusic, value);
    GMusicManager::Instance()->UpdateMaxVolume();
    return true;
  }
  return false;
}

void TOptions::SaveVolumes()
{
  const char* const sliders[2][2] = {{kSoundSlider, TSettings::kSoundLevel}, {kMusicSlider, TSettings::kMusicLevel}};
  for (const auto& pair : sliders) {
    TSlider* slider = GetCast<TSlider>(GetChildWindow(pair[0], -1));
    if (slider && gSettings) {
      gSettings->mPrefs->SetInt(pair[1], int(slider->GetValue() * 1000.0f), CurrentUser(), true);
    }
  }
  GMusicManager::Instance()->UpdateMaxVolume();
}
