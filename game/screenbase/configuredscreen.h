// configuredscreen: what the screens configured from one file share (the search room and the
// puzzles): reading the file's root and its scene, object names and marks, the clock they show.
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/str.h"

class TBinaryBuffer;
class TSceneObject;
class TSceneScreen;
class TXmlNode;

// Parses the file into document and answers its element root; null, with an "ERROR: "
// line naming the screen, when the file has none.
TXmlNode* ReadScreenConfig(const str& file, const char* root, TXmlNode* document, const char* screen);
// A saved record's name of its screen's configuration against the one the game has for that
// screen (any, when expected is empty): another name is the record's damage, not a
// configuration's, so the buffer fails before any file is read and blamed.
bool IsExpectedConfig(const str& saved, const str& expected, TBinaryBuffer* buffer);
// Adds to the screen, at once, the scene file its configuration's child "scene" names.
void AddConfiguredScene(TSceneScreen* screen, TXmlNode* root);
// The comma-separated names of the text, blanks around them dropped, empty ones skipped.
std::vector<str> SplitNames(const str& text);
// The object enters the state; an object without that state is hidden instead, so the
// change shows whatever the scene provides.
void SetStateOrHide(TSceneObject* object, const char* state);
// The object or its nearest ancestor whose name is in names; null when none is.
TSceneObject* FindNamedAncestor(TSceneObject* object, const std::vector<str>& names);
// A clock as the player reads it: minutes and seconds, a second begun counting whole ("0:01"
// until the time is out); empty for no clock (ms below 0).
str FormatClock(int32_t ms);
// The screen's text object "timer", where it has one, shows the clock.
void ShowClock(TSceneScreen* screen, int32_t ms);
