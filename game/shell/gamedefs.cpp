// gamedefs: the values of the names every part of the game shares.
#include "shell/gamedefs.h"

#include <climits>

const char* const tableScore[6] = {"Object_Found", "Extra_Time", "No_hints_used",
                                   "Decal_found",  "Puzzles",    "Total_round"};
const char* const MusicTable[2] = {"audio/music/QS_MiniGame1_16.ogg",
                                   "audio/music/QS_MiniGame2_16.ogg"};
const TPoint ImpossiblePoint(INT_MAX, INT_MAX);
