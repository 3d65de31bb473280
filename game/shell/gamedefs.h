// gamedefs: the names every part of the game shares: its identity, score categories,
// mini-game music, the "no position" point and the two numberings of the game modes.
#pragma once

#include "core/foundation/rect.h"

// The game's identity: its handle, its encryption key, the names of its game modes and medals
// (the start-up puts them into the engine's configuration; the settings and the hiscore
// service use them).
extern const char QVGAMEHANDLE[];
extern const char ENCRYPTION_KEY[];
extern const char* const QVGAMEMODENAMES[2];
extern const char* const QVGAMEMEDALNAMES[10];

// The six score categories, in the order the round result lists them.
extern const char* const tableScore[6];
// The two tracks the mini-games play.
extern const char* const MusicTable[2];
// Stands for "no position given".
extern const TPoint ImpossiblePoint;

// Game modes as the settings, the hiscore service and the hiscore window number them:
// the index into QVGAMEMODENAMES.
enum ESettingsGameMode
{
  kSettingsStory = 0,
  kSettingsFreePlay = 1,
  kSettingsModeCount = 2
};
// Game modes as the game controller numbers them (one more than the settings' number).
enum EControllerGameMode
{
  kControllerStory = 1,
  kControllerFreePlay = 2
};
