// gamedefs: the values of the names every part of the game shares.
#include "shell/gamedefs.h"

#include <climits>

const char QVGAMEHANDLE[] = "quillmoor-sleuth-bureau";
const char ENCRYPTION_KEY[] = "m8JtQzRkLAAA";
const char* const QVGAMEMODENAMES[2] = {"quillmoor-sleuth-bureau_story", "quillmoor-sleuth-bureau_freeplay"};
const char* const QVGAMEMEDALNAMES[10] = {"quillmoor-sleuth-bureau_gumshoe",     "quillmoor-sleuth-bureau_cluefinder",
                                          "quillmoor-sleuth-bureau_sleuth",      "quillmoor-sleuth-bureau_detective",
                                          "quillmoor-sleuth-bureau_pi",          "quillmoor-sleuth-bureau_sequencer",
                                          "quillmoor-sleuth-bureau_printduster", "quillmoor-sleuth-bureau_puzzler",
                                          "quillmoor-sleuth-bureau_mailorder",   "quillmoor-sleuth-bureau_solosleuth"};

const char* const tableScore[6] = {"Object_Found", "Extra_Time", "No_hints_used",
                                   "Decal_found",  "Puzzles",    "Total_round"};
const char* const MusicTable[2] = {"audio/music/QS_MiniGame1_16.ogg", "audio/music/QS_MiniGame2_16.ogg"};
const TPoint ImpossiblePoint(INT_MAX, INT_MAX);
