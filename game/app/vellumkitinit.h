// vellumkitinit: the game's names (game handle, game modes, medals, encryption key) and
// the function that puts them into the engine's configuration before the engine starts.
#pragma once

extern const char QVGAMEHANDLE[];
extern const char ENCRYPTION_KEY[];
extern const char* const QVGAMEMODENAMES[2];
extern const char* const QVGAMEMEDALNAMES[10];

// Fills the configuration; touches nothing else, so it runs before any engine object.
void VellumkitInit();
