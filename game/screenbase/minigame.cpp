// minigame: the puzzles' music, started through the music manager when a puzzle screen
// fades in, the track drawn with the game controller's random generator; and the frame of
// the puzzles' saved records.
#include "screenbase/minigame.h"

#include "core/foundation/random.h"
#include "media/musicmanager.h"
#include "screenbase/configuredscreen.h"
#include "screenbase/gamecontrol.h"
#include "screenbase/savestring.h"

const char* const TPuzzleScreen::kTracks[kTrackCount] = {"audio/music/QS_MiniGame1_16.ogg",
                                                         "audio/music/QS_MiniGame2_16.ogg"};

void TPuzzleScreen::StartFading(unsigned time, bool fadeIn)
{
  TSceneScreen::StartFading(time, fadeIn);
  TGameControl* game = GetControl();
  if (fadeIn && game) {
    const int track = game->GetRandom().RandRange(0, int(kTrackCount) - 1);
    game->GetMusic()->PlayMusic(kTracks[track], true, true, "");
  }
}

bool TPuzzleScreen::Save(TBinaryBuffer* buffer)
{
  SaveString(buffer, mConfig);
  SaveProgress(buffer);
  return TSceneScreen::Save(buffer);
}

bool TPuzzleScreen::LoadSaved(TBinaryBuffer* buffer)
{
  str config;
  if (!LoadString(buffer, config) || !IsExpectedConfig(config, GetExpectedConfig(), buffer)) {
    return false;
  }
  return LoadProgress(config, buffer) && TSceneScreen::LoadSaved(buffer);
}
